#pragma once

#include <QListView>
#include <QStringList>
#include <optional>

class QStringListModel;

// A list of titles, each standing for a key (the path stored with it). The list's key is that
// of the row picked last, by a click, the arrow and page keys or typing the beginning of a title;
// it starts null, belongs to this list alone and stays when the rows are replaced, even when its
// row is no longer among them; the row that holds it is shown picked. A click in a list without
// rows makes the key null. A double-click on a row, or Enter, activates the picked row.
class LookupList : public QListView {
    Q_OBJECT
public:
    explicit LookupList(QWidget* parent = nullptr);

    // Replaces the rows (titles and keys pair by position); the key is kept.
    void setRows(const QStringList& titles, const QStringList& keys);
    void clearRows() { setRows({}, {}); }

    std::optional<QString> key() const { return m_key; }
    int rows() const { return static_cast<int>(m_keys.size()); }
    QStringList titles() const;
    QStringList keys() const { return m_keys; }
    // Picks a row as a click would.
    void pick(int row);

signals:
    void rowActivated();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStringListModel* m_model = nullptr;
    QStringList m_keys;
    std::optional<QString> m_key;
    bool m_replacing = false;
};
