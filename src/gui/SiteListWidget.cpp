#include "gui/SiteListWidget.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "display/SiteLine.h"

namespace skyloom::gui {

namespace {
constexpr int kLineRole = Qt::UserRole + 1;

QString shownText(const std::string& line) {
    auto parsed = display::SiteLine::parse(line);
    return QString::fromStdString(parsed ? parsed->visible() : line).trimmed();
}

bool carriesSiteLine(const QMimeData* mime) {
    return mime->hasText() && display::SiteLine::parse(mime->text().toStdString()).has_value();
}

void dragLine(QWidget* source, const QString& text) {
    auto* drag = new QDrag(source);
    auto* mime = new QMimeData;
    mime->setText(text);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}
}  // namespace

SiteListWidget::SiteListWidget(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAcceptDrops(false);
}

void SiteListWidget::setAcceptsLines(bool on) {
    setAcceptDrops(on);
    viewport()->setAcceptDrops(on);
}

void SiteListWidget::setLines(const std::vector<std::string>& lines) {
    setUpdatesEnabled(false);
    clear();
    for (const auto& l : lines) addLine(l);
    setUpdatesEnabled(true);
}

void SiteListWidget::addLine(const std::string& line) {
    auto* item = new QListWidgetItem(shownText(line), this);
    item->setData(kLineRole, QString::fromStdString(line));
}

std::string SiteListWidget::lineOf(const QListWidgetItem* item) {
    return item ? item->data(kLineRole).toString().toStdString() : std::string();
}

std::vector<std::string> SiteListWidget::lines() const {
    std::vector<std::string> out;
    for (int i = 0; i < count(); ++i) out.push_back(lineOf(item(i)));
    return out;
}

std::vector<std::string> SiteListWidget::selectedLines() const {
    std::vector<std::string> out;
    for (int i = 0; i < count(); ++i)
        if (item(i)->isSelected()) out.push_back(lineOf(item(i)));
    return out;
}

void SiteListWidget::mousePressEvent(QMouseEvent* e) {
    QListWidget::mousePressEvent(e);
    pressAt_ = e->position().toPoint();
    QListWidgetItem* it = itemAt(pressAt_);
    pressedLine_ = it ? QString::fromStdString(lineOf(it)) : QString();
    if (it && e->button() == Qt::LeftButton) emit linePressed(pressedLine_);
}

void SiteListWidget::mouseMoveEvent(QMouseEvent* e) {
    if ((e->buttons() & Qt::LeftButton) && !pressedLine_.isEmpty() &&
        (e->position().toPoint() - pressAt_).manhattanLength() >= QApplication::startDragDistance()) {
        QString line = pressedLine_;
        pressedLine_.clear();
        dragLine(this, line);
        return;
    }
    QListWidget::mouseMoveEvent(e);
}

void SiteListWidget::dragEnterEvent(QDragEnterEvent* e) {
    if (e->source() != this && carriesSiteLine(e->mimeData())) e->acceptProposedAction();
    else e->ignore();
}

void SiteListWidget::dragMoveEvent(QDragMoveEvent* e) {
    if (e->source() != this && carriesSiteLine(e->mimeData())) e->acceptProposedAction();
    else e->ignore();
}

void SiteListWidget::dropEvent(QDropEvent* e) {
    if (!carriesSiteLine(e->mimeData())) return;
    e->acceptProposedAction();
    emit lineDropped(e->mimeData()->text());
}

DragField::DragField(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    setAcceptDrops(true);
}

void DragField::mousePressEvent(QMouseEvent* e) {
    QLineEdit::mousePressEvent(e);
    pressAt_ = e->position().toPoint();
    selectAll();
}

void DragField::mouseMoveEvent(QMouseEvent* e) {
    if ((e->buttons() & Qt::LeftButton) &&
        (e->position().toPoint() - pressAt_).manhattanLength() >= QApplication::startDragDistance()) {
        QString t = dragText_ ? dragText_() : text();
        if (!t.isEmpty()) dragLine(this, t);
        return;
    }
    QLineEdit::mouseMoveEvent(e);
}

void DragField::dragEnterEvent(QDragEnterEvent* e) {
    if (e->source() != this && carriesSiteLine(e->mimeData())) e->acceptProposedAction();
    else e->ignore();
}

void DragField::dropEvent(QDropEvent* e) {
    if (!carriesSiteLine(e->mimeData())) return;
    e->acceptProposedAction();
    emit lineDropped(e->mimeData()->text());
}

}  // namespace skyloom::gui
