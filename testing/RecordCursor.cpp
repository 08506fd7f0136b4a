#include "RecordCursor.h"

#include "EditableResult.h"
#include "Guard.h"
#include "Query.h"

#include <QDataWidgetMapper>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

QString textOf(const QWidget* field)
{
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(field))
        return memo->toPlainText();
    if (const auto* line = qobject_cast<const QLineEdit*>(field))
        return line->text();
    return {};
}

void setTextOf(QWidget* field, const QString& text)
{
    if (auto* memo = qobject_cast<QPlainTextEdit*>(field))
        memo->setPlainText(text);
    else if (auto* line = qobject_cast<QLineEdit*>(field))
        line->setText(text);
}

void setReadOnly(QWidget* field, bool readOnly)
{
    if (auto* memo = qobject_cast<QPlainTextEdit*>(field))
        memo->setReadOnly(readOnly);
    else if (auto* line = qobject_cast<QLineEdit*>(field))
        line->setReadOnly(readOnly);
}

} // namespace

// The mapper hands every value it shows to the cursor, and writes nothing back itself: the
// cursor writes as the text changes. Keys are left to the fields.
class RecordCursor::FieldDelegate : public QStyledItemDelegate {
public:
    explicit FieldDelegate(RecordCursor* cursor) : QStyledItemDelegate(cursor), m_cursor(cursor) {}

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (Binding* binding = m_cursor->bindingOf(editor))
            m_cursor->showValue(*binding, index.data(EditableResult::ValueRole));
    }
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

protected:
    bool eventFilter(QObject*, QEvent*) override { return false; }

private:
    RecordCursor* m_cursor;
};

RecordCursor::RecordCursor(EditableResult* model, QObject* parent)
    : QObject(parent), m_model(model), m_mapper(new QDataWidgetMapper(this)),
      m_delegate(new FieldDelegate(this))
{
    m_mapper->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
    m_mapper->setItemDelegate(m_delegate);
    m_mapper->setModel(m_model);
    connect(m_model, &QAbstractItemModel::modelReset, this, &RecordCursor::resultReset);
    connect(m_model, &EditableResult::editStateChanged, this, &RecordCursor::changed);
    resultReset();
}

RecordCursor::~RecordCursor() = default;

void RecordCursor::bind(QWidget* field, const QString& column)
{
    m_bindings.push_back(Binding{field, column, {}, textOf(field)});
    auto edited = [this, field] {
        if (Binding* binding = bindingOf(field))
            fieldEdited(*binding);
    };
    if (auto* memo = qobject_cast<QPlainTextEdit*>(field))
        connect(memo, &QPlainTextEdit::textChanged, this, edited);
    else if (auto* line = qobject_cast<QLineEdit*>(field))
        connect(line, &QLineEdit::textChanged, this, edited);
    resultReset();
}

RecordCursor::Binding* RecordCursor::bindingOf(const QWidget* field)
{
    for (Binding& binding : m_bindings)
        if (binding.field == field)
            return &binding;
    return nullptr;
}

bool RecordCursor::isEditing() const
{
    return m_model->pendingRow() >= 0;
}

// The result was opened, closed or read again: its first row is current, at the start. The
// columns are found by name again, as the result may have others.
void RecordCursor::resultReset()
{
    m_mapper->clearMapping();
    const bool writable = m_model->isOpen() && m_model->isEditable();
    for (const Binding& binding : m_bindings) {
        const int column = m_model->columnIndex(binding.column);
        if (column >= 0)
            m_mapper->addMapping(binding.field, column);
        setReadOnly(binding.field, !writable || column < 0);
    }
    showFirst();
}

void RecordCursor::showFirst()
{
    m_row = m_model->rowCount() > 0 ? 0 : -1;
    m_atStart = true;
    m_atEnd = m_row < 0;
    show();
    emit changed();
}

void RecordCursor::show()
{
    if (m_row >= 0) {
        m_model->readRow(m_row);
        m_mapper->setCurrentIndex(m_row);
        return;
    }
    for (Binding& binding : m_bindings) {
        m_showing = true;
        setTextOf(binding.field, QString());
        m_showing = false;
        binding.shownValue = QVariant();
        binding.shownText = textOf(binding.field);
    }
}

// A field that already stands for the value keeps its text, so that the text being typed (which
// the model has just taken) is not set again under the typing.
void RecordCursor::showValue(Binding& binding, const QVariant& value)
{
    if (storedText(valueOf(binding)) == storedText(value)) {
        if (textOf(binding.field) == binding.shownText)
            binding.shownValue = value;
        return;
    }
    m_showing = true;
    setTextOf(binding.field, storedText(value));
    m_showing = false;
    binding.shownValue = value;
    binding.shownText = textOf(binding.field);
}

QVariant RecordCursor::valueOf(const Binding& binding) const
{
    const QString text = textOf(binding.field);
    return text == binding.shownText ? binding.shownValue : QVariant(text);
}

void RecordCursor::fieldEdited(Binding& binding)
{
    if (m_showing)
        return;
    const int column = m_model->columnIndex(binding.column);
    if (column < 0)
        return;
    const QVariant value = valueOf(binding);
    const QVariant current =
        m_row >= 0 ? m_model->index(m_row, column).data(EditableResult::ValueRole) : QVariant();
    if (storedText(value) == storedText(current))
        return;
    guarded([&] { write(column, value); });
    emit changed();
}

void RecordCursor::write(int column, const QVariant& value)
{
    if (m_row < 0) {
        m_row = m_model->insertBlankRow(0);
        m_atStart = m_atEnd = false;
        m_model->setData(m_model->index(m_row, column), value);
        show();
        return;
    }
    if (m_model->pendingRow() != m_row)
        m_row = m_model->beginEdit(m_row);
    m_model->setData(m_model->index(m_row, column), value);
}

// After a change of rows the current one stays at its place, or the last one when that is gone.
void RecordCursor::settle()
{
    const int count = m_model->rowCount();
    if (count == 0) {
        m_row = -1;
        m_atStart = m_atEnd = true;
    } else {
        m_row = std::clamp(m_row, 0, count - 1);
    }
}

void RecordCursor::first()
{
    m_model->post();
    showFirst();
}

void RecordCursor::last()
{
    m_model->post();
    m_row = m_model->rowCount() - 1;
    m_atEnd = true;
    m_atStart = m_row < 0;
    show();
    emit changed();
}

void RecordCursor::prior()
{
    moveBy(-1);
}

void RecordCursor::next()
{
    moveBy(1);
}

// Posting may drop a new row left empty; the target is then counted without it.
void RecordCursor::moveBy(int step)
{
    const int target = m_model->postKeeping(m_row + step);
    if (target >= 0 && target < m_model->rowCount()) {
        m_row = target;
        m_atStart = m_atEnd = false;
    } else {
        settle();
        (step > 0 ? m_atEnd : m_atStart) = true;
    }
    show();
    emit changed();
}

void RecordCursor::insert()
{
    m_row = m_model->insertBlankRow(std::max(m_row, 0));
    m_atStart = m_atEnd = false;
    show();
    emit changed();
}

void RecordCursor::remove()
{
    if (m_row < 0)
        return;
    m_model->deleteRow(m_row);
    m_atStart = m_atEnd = false;
    settle();
    show();
    emit changed();
}

void RecordCursor::edit()
{
    if (m_row < 0) {
        insert();
        return;
    }
    m_row = m_model->beginEdit(m_row);
    emit changed();
}

void RecordCursor::post()
{
    const int before = m_model->rowCount();
    m_model->post();
    if (m_model->rowCount() != before)
        settle();
    show();
    emit changed();
}

void RecordCursor::cancel()
{
    const int before = m_model->rowCount();
    m_model->cancel();
    if (m_model->rowCount() != before) {
        m_atStart = m_atEnd = false;
        settle();
    }
    show();
    emit changed();
}

void RecordCursor::refresh()
{
    m_row = m_model->postKeeping(m_row);
    settle();
    const qint64 id = m_model->rowId(m_row);
    const int place = m_row;
    const bool wasAtStart = m_atStart;
    const bool wasAtEnd = m_atEnd;
    m_model->reload();
    const int found = place >= 0 ? m_model->rowOfId(id) : -1;
    m_row = found >= 0 ? found : place;
    settle();
    const int count = m_model->rowCount();
    m_atStart = count == 0 || (wasAtStart && m_row == 0);
    m_atEnd = count == 0 || (wasAtEnd && m_row == count - 1);
    show();
    emit changed();
}
