#include "RecordNavigator.h"

#include "Dialogs.h"
#include "EditableResult.h"
#include "Guard.h"
#include "RecordCursor.h"

#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace {

constexpr int kGlyph = 16;

// The usual navigator pictures, drawn in the button text colour: triangles with bars for
// moving, plus and minus, a triangle up for edit, a tick, a cross and a circling arrow.
QIcon glyph(RecordNavigator::Button which, const QColor& colour)
{
    QPixmap pixmap(kGlyph * 2, kGlyph * 2);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.setBrush(colour);
    auto triangle = [&painter](QPointF a, QPointF b, QPointF c) {
        painter.drawPolygon(QPolygonF({a, b, c}));
    };
    switch (which) {
    case RecordNavigator::First:
        painter.drawLine(QPointF(4, 3), QPointF(4, 13));
        triangle({12, 3}, {12, 13}, {6, 8});
        break;
    case RecordNavigator::Prior:
        triangle({11, 3}, {11, 13}, {5, 8});
        break;
    case RecordNavigator::Next:
        triangle({5, 3}, {5, 13}, {11, 8});
        break;
    case RecordNavigator::Last:
        triangle({4, 3}, {4, 13}, {10, 8});
        painter.drawLine(QPointF(12, 3), QPointF(12, 13));
        break;
    case RecordNavigator::Insert:
        painter.drawLine(QPointF(8, 3), QPointF(8, 13));
        painter.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case RecordNavigator::Delete:
        painter.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case RecordNavigator::Edit:
        triangle({3, 12}, {13, 12}, {8, 5});
        break;
    case RecordNavigator::Post:
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(QPolygonF({{3, 8}, {7, 12}, {13, 4}}));
        break;
    case RecordNavigator::Cancel:
        painter.drawLine(QPointF(4, 4), QPointF(12, 12));
        painter.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case RecordNavigator::Refresh: {
        painter.setBrush(Qt::NoBrush);
        QPainterPath arc;
        arc.arcMoveTo(QRectF(3, 3, 10, 10), 60);
        arc.arcTo(QRectF(3, 3, 10, 10), 60, 280);
        painter.drawPath(arc);
        painter.setBrush(colour);
        painter.setPen(Qt::NoPen);
        triangle({9, 1}, {14, 4}, {9, 7});
        break;
    }
    }
    return QIcon(pixmap);
}

} // namespace

RecordNavigator::RecordNavigator(QWidget* parent) : QWidget(parent)
{
    const QColor colour = palette().color(QPalette::ButtonText);
    for (int i = 0; i < kButtons; ++i) {
        const auto which = static_cast<Button>(i);
        auto* button = new QToolButton(this);
        static const char* const names[kButtons] = {
            "firstButton",  "priorButton", "nextButton", "lastButton",   "insertButton",
            "deleteButton", "editButton",  "postButton", "cancelButton", "refreshButton"};
        button->setObjectName(QString::fromLatin1(names[i]));
        button->setIcon(glyph(which, colour));
        button->setIconSize(QSize(kGlyph, kGlyph));
        button->setToolTip(hint(which));
        button->setAccessibleName(hint(which));
        button->setAccessibleDescription(hint(which));
        button->setAutoRaise(false);
        connect(button, &QToolButton::clicked, this,
                [this, which] { guarded([this, which] { buttonClick(which); }); });
        m_buttons[i] = button;
        if (i > 0)
            setTabOrder(m_buttons[i - 1], button);
    }
    layoutButtons();
    updateButtons();
}

QString RecordNavigator::hint(Button which)
{
    static const char* const hints[kButtons] = {
        "First record",  "Prior record", "Next record", "Last record", "Insert record",
        "Delete record", "Edit record",  "Post edit",   "Cancel edit", "Refresh data"};
    return QString::fromLatin1(hints[which]);
}

QAbstractButton* RecordNavigator::button(Button which) const
{
    return m_buttons[which];
}

void RecordNavigator::bind(RecordCursor* cursor)
{
    if (m_cursor)
        disconnect(m_cursor, nullptr, this, nullptr);
    m_cursor = cursor;
    if (m_cursor)
        connect(m_cursor, &RecordCursor::changed, this, &RecordNavigator::updateButtons);
    updateButtons();
}

void RecordNavigator::buttonClick(Button which)
{
    if (!m_cursor || !m_buttons[which]->isEnabled())
        return;
    if (which == Delete &&
        !Dialogs::confirm(QStringLiteral("Confirm"), QStringLiteral("Delete record?")))
        return;
    // The buttons follow the cursor's state even when the action fails half-way.
    struct Update {
        RecordNavigator* navigator;
        ~Update() { navigator->updateButtons(); }
    } update{this};
    act(which);
}

void RecordNavigator::act(Button which)
{
    switch (which) {
    case First:
        return m_cursor->first();
    case Prior:
        return m_cursor->prior();
    case Next:
        return m_cursor->next();
    case Last:
        return m_cursor->last();
    case Insert:
        return m_cursor->insert();
    case Delete:
        return m_cursor->remove();
    case Edit:
        return m_cursor->edit();
    case Post:
        return m_cursor->post();
    case Cancel:
        return m_cursor->cancel();
    case Refresh:
        return m_cursor->refresh();
    }
}

void RecordNavigator::updateButtons()
{
    const EditableResult* model = m_cursor ? m_cursor->model() : nullptr;
    const bool active = model && model->isOpen();
    const bool canModify = active && model->isEditable();
    const bool editing = active && m_cursor->isEditing();
    const bool enabled[kButtons] = {
        active && !m_cursor->atStart(),
        active && !m_cursor->atStart(),
        active && !m_cursor->atEnd(),
        active && !m_cursor->atEnd(),
        canModify,
        canModify && model->rowCount() > 0,
        canModify && !editing,
        canModify && editing,
        canModify && editing,
        canModify,
    };
    for (int i = 0; i < kButtons; ++i)
        m_buttons[i]->setEnabled(enabled[i]);
}

void RecordNavigator::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutButtons();
}

// Equal widths across the navigator; the pixels left over are split between the two ends.
void RecordNavigator::layoutButtons()
{
    const int width = this->width() / kButtons;
    const int left = (this->width() - width * kButtons) / 2;
    for (int i = 0; i < kButtons; ++i)
        m_buttons[i]->setGeometry(left + i * width, 0, width, height());
}
