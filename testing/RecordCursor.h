#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <vector>

class EditableResult;
class QDataWidgetMapper;
class QWidget;

// The current row of an editable result and the edit fields bound to its columns (through the
// toolkit's widget mapper): what a record navigator moves and what typing edits.
//
// The start of the result is reached on opening, by first, or by a prior that could not move;
// the end by last or by a next that could not move; an empty result is at both.
//
// Typing into a bound field edits the current row, or a new row when the result has none; the
// text goes into the model at once. Moving to another row, inserting or refreshing posts the
// change first; cancel drops it. A field may show a value in a form of its own (a plain text
// field turns "\r\n" into "\n"): browsing never counts as an edit, and a text typed back to what
// was shown stands for the stored value exactly.
//
// The operations throw AppError; a refused post leaves the current row where it was, in edit.
class RecordCursor : public QObject {
    Q_OBJECT
public:
    explicit RecordCursor(EditableResult* model, QObject* parent = nullptr);
    ~RecordCursor() override;

    // The field (a QPlainTextEdit or a QLineEdit) shows the named column of the current row.
    void bind(QWidget* field, const QString& column);

    EditableResult* model() const { return m_model; }
    // The current row, or -1 when the result is empty or closed.
    int row() const { return m_row; }
    bool atStart() const { return m_atStart; }
    bool atEnd() const { return m_atEnd; }
    bool isEditing() const;

    void first();
    void prior();
    void next();
    void last();
    // A new row at the current one.
    void insert();
    void remove();
    // Editing an empty result starts a new row.
    void edit();
    void post();
    void cancel();
    // Reads the result again; the current row stays current while it is still in the table.
    void refresh();

signals:
    // The current row, its edit state or the result changed.
    void changed();

private:
    class FieldDelegate;
    struct Binding {
        QWidget* field = nullptr;
        QString column;
        // What the field was last given and the text it made of it.
        QVariant shownValue;
        QString shownText;
    };

    void resultReset();
    void showFirst();
    void moveBy(int step);
    void settle();
    void show();
    void showValue(Binding& binding, const QVariant& value);
    QVariant valueOf(const Binding& binding) const;
    void fieldEdited(Binding& binding);
    void write(int column, const QVariant& value);
    Binding* bindingOf(const QWidget* field);

    EditableResult* m_model;
    QDataWidgetMapper* m_mapper;
    FieldDelegate* m_delegate;
    std::vector<Binding> m_bindings;
    int m_row = -1;
    bool m_atStart = true;
    bool m_atEnd = true;
    bool m_showing = false;
};
