#include "LookupList.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStringListModel>

namespace {

// Titles longer than the list is wide show whole in their tooltip.
class TitleModel : public QStringListModel {
public:
    using QStringListModel::QStringListModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        return QStringListModel::data(index, role == Qt::ToolTipRole ? Qt::DisplayRole : role);
    }
};

} // namespace

LookupList::LookupList(QWidget* parent) : QListView(parent), m_model(new TitleModel(this))
{
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    // A row is picked when it is selected; the focus entering the list alone picks nothing.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (m_replacing || selected.indexes().isEmpty())
                    return;
                const int row = selected.indexes().constFirst().row();
                if (row < m_keys.size())
                    m_key = m_keys[row];
            });
    connect(this, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit rowActivated();
    });
}

void LookupList::setRows(const QStringList& titles, const QStringList& keys)
{
    m_replacing = true;
    m_keys = keys;
    m_model->setStringList(titles);
    if (m_key) {
        const int row = static_cast<int>(m_keys.indexOf(*m_key));
        if (row >= 0)
            setCurrentIndex(m_model->index(row));
    }
    m_replacing = false;
}

QStringList LookupList::titles() const
{
    return m_model->stringList();
}

void LookupList::pick(int row)
{
    if (row >= 0 && row < rows())
        setCurrentIndex(m_model->index(row));
}

void LookupList::mousePressEvent(QMouseEvent* event)
{
    if (rows() == 0)
        m_key.reset();
    QListView::mousePressEvent(event);
}

void LookupList::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        selectionModel()->hasSelection()) {
        emit rowActivated();
        return;
    }
    QListView::keyPressEvent(event);
}
