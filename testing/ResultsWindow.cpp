#include "ResultsWindow.h"

#include "ui_ResultsWindow.h"

#include "Dialogs.h"
#include "Fonts.h"
#include "Guard.h"
#include "ResultsModel.h"
#include "Roles.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyledItemDelegate>
#include <limits>

namespace {

// The grid's cell editor takes a text of any length; the toolkit's would cut it at 32767
// characters without a word.
class UnlimitedDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* field = qobject_cast<QLineEdit*>(editor))
            field->setMaxLength(std::numeric_limits<int>::max());
        return editor;
    }
};

} // namespace

TForm6::TForm6(QWidget* parent)
    : FormWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TForm6>()), m_model(new ResultsModel(this))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("Form6"));
    setFixedSize(kWidth, kHeight);

    const QFont titleFont = Fonts::msSansSerif(11);
    setFont(titleFont);
    ui->resultsGrid->setFont(Fonts::arial(16, true));
    ui->resultsGrid->horizontalHeader()->setFont(titleFont);
    ui->resultsGrid->verticalHeader()->hide();
    ui->resultsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);

    ui->resultsGrid->setItemDelegate(new UnlimitedDelegate(ui->resultsGrid));
    ui->resultsGrid->setModel(m_model);
    ui->resultsGrid->installEventFilter(this);
    connect(ui->resultsGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TForm6::currentRowChanged);

    // The results query is open from start-up over every result; nobody can change it until
    // the hub rebuilds it for the administrator.
    guarded([this] { m_model->open(std::nullopt); });
}

TForm6::~TForm6() = default;

QTableView* TForm6::grid() const
{
    return ui->resultsGrid;
}

void TForm6::openResults(const QString& login)
{
    postOrDrop();
    // Where nobody administers (a lab computer), the server shows each login its own rows.
    const bool administrator = isAdministrator(login);
    const bool editable = administersHere(login);
    m_model->setEditable(false);
    m_model->open(administrator ? std::nullopt : std::optional<QString>(login));
    m_model->setEditable(editable);
    ui->resultsGrid->setEditTriggers(editable ? QAbstractItemView::DoubleClicked |
                                                    QAbstractItemView::EditKeyPressed |
                                                    QAbstractItemView::AnyKeyPressed
                                              : QAbstractItemView::NoEditTriggers);
    if (m_model->rowCount() > 0)
        ui->resultsGrid->setCurrentIndex(m_model->index(0, 0));
    fitTimeColumn();
}

// The administrator's grid has the time of each result after the described columns: the window
// grows by that column's width, the rest of it as designed.
void TForm6::fitTimeColumn()
{
    const int column = m_model->columnIndex(ResultsModel::kTimeColumn);
    int extra = 0;
    if (column >= 0) {
        extra = QFontMetrics(ui->resultsGrid->font())
                    .horizontalAdvance(QStringLiteral("2026-12-10 14:32")) +
                2 * ui->resultsGrid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
        ui->resultsGrid->setColumnWidth(column, extra);
    }
    setFixedSize(kWidth + extra, kHeight);
    ui->resultsGrid->resize(kWidth + extra, kHeight);
}

void TForm6::setVisible(bool visible)
{
    if (!visible && isVisible())
        postOrDrop();
    FormWindow::setVisible(visible);
}

void TForm6::onShowing()
{
    centreOnScreen();
}

// Writes the pending change; one the store refuses is reported and dropped, so that it cannot
// block the window for good.
void TForm6::postOrDrop()
{
    if (!guarded([this] { m_model->post(); }))
        m_model->cancel();
}

// Leaving a row writes its change. When the store refuses it, the grid goes back to that row.
void TForm6::currentRowChanged(const QModelIndex& current, const QModelIndex& previous)
{
    Q_UNUSED(current);
    const int pending = m_model->pendingRow();
    if (!previous.isValid() || pending < 0 || pending != previous.row())
        return;
    if (!guarded([this] { m_model->post(); }))
        ui->resultsGrid->setCurrentIndex(m_model->index(m_model->pendingRow(), previous.column()));
}

bool TForm6::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != ui->resultsGrid || event->type() != QEvent::KeyPress || !m_model->isEditable())
        return FormWindow::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const QModelIndex current = ui->resultsGrid->currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;

    if (key->key() == Qt::Key_Insert && modifiers == Qt::NoModifier) {
        finishEditing();
        insertRow(row);
        return true;
    }
    if (key->key() == Qt::Key_Delete && modifiers == Qt::ControlModifier) {
        finishEditing();
        deleteCurrentRow();
        return true;
    }
    if (key->key() == Qt::Key_Down && modifiers == Qt::NoModifier &&
        (!current.isValid() || row == m_model->rowCount() - 1) && !m_model->canFetchMore({})) {
        finishEditing();
        // Past the last row a new one is appended, unless the last one is new and still empty.
        if (!(m_model->isNewRow(row) && m_model->pendingRow() == row))
            insertRow(m_model->rowCount());
        return true;
    }
    if (key->key() == Qt::Key_Escape && modifiers == Qt::NoModifier && m_model->pendingRow() >= 0) {
        m_model->cancel();
        return true;
    }
    return FormWindow::eventFilter(watched, event);
}

// Keys that act on whole rows arrive here also while a cell editor is open; its text is taken
// into the row first, as moving to another cell would do.
void TForm6::finishEditing()
{
    QWidget* editor = QApplication::focusWidget();
    if (!editor || editor == ui->resultsGrid || !ui->resultsGrid->isAncestorOf(editor))
        return;
    QAbstractItemDelegate* delegate = ui->resultsGrid->itemDelegate();
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void TForm6::insertRow(int row)
{
    const int column = qMax(0, ui->resultsGrid->currentIndex().column());
    guarded([&] {
        const int added = m_model->insertBlankRow(row);
        ui->resultsGrid->setCurrentIndex(m_model->index(added, column));
    });
}

void TForm6::deleteCurrentRow()
{
    const QModelIndex current = ui->resultsGrid->currentIndex();
    if (!current.isValid())
        return;
    if (!Dialogs::confirm(QStringLiteral("Confirm"), QStringLiteral("Delete record?")))
        return;
    guarded([&] { m_model->deleteRow(current.row()); });
}
