#pragma once

#include <QPointer>
#include <QWidget>
#include <array>

class QToolButton;
class QAbstractButton;
class RecordCursor;

// The record navigator: ten buttons in one row of equal widths (first, prior, next, last,
// insert, delete, edit, post, cancel, refresh) acting on a record cursor. Each button shows its
// hint on hover and gives it to screen readers as its name and description. A button is enabled
// only while its action can apply, and all are disabled while the navigator is. Delete asks
// first. An action that fails is reported in the default error box and changes nothing.
class RecordNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };
    static constexpr int kButtons = 10;

    explicit RecordNavigator(QWidget* parent = nullptr);

    void bind(RecordCursor* cursor);
    QAbstractButton* button(Button which) const;
    static QString hint(Button which);

    // The handler of every button.
    void buttonClick(Button which);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void act(Button which);
    void updateButtons();
    void layoutButtons();

    std::array<QToolButton*, kButtons> m_buttons{};
    QPointer<RecordCursor> m_cursor;
};
