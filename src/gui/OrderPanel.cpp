#include "gui/OrderPanel.h"

#include <filesystem>

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "core/Prompter.h"
#include "core/Settings.h"
#include "display/MapModel.h"
#include "display/SiteLine.h"
#include "gui/SiteListWidget.h"
#include "gui/YearsDialog.h"
#include "ordering/OrderList.h"
#include "session/GoogleEarthCommand.h"
#include "session/OrderCommands.h"
#include "session/Session.h"

namespace skyloom::gui {

namespace {
QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(name);
    return b;
}

constexpr const char* kMoreIfo =
    "LEFT Click the mouse to freeze this list.  When this list is frozen, highlight sites below by Clicking them "
    "(with Shift or Ctrl) and then Click the 'Copy Highlighted Sites to Order List'";
constexpr const char* kMoreIfoFrozen =
    "You may now highlight sites below by Clicking them (with Shift or Ctrl) and then Click the 'Copy Highlighted "
    "Sites to Order List' button.";
}  // namespace

std::string OrderPanel::clipboardText(const std::string& line) {
    auto site = display::SiteLine::parse(line);
    if (!site) return line;
    return site->label() + "  (WMO " + std::to_string(site->wmo()) + ", " + site->latText() + ", " + site->lonText() +
           ")";
}

OrderPanel::OrderPanel(session::Session& session, display::MapModel& map, QWidget* parent)
    : QObject(parent), session_(session), map_(map) {
    nearArea_ = new QWidget(parent);
    nearArea_->setObjectName("NearArea");
    auto* layout = new QVBoxLayout(nearArea_);
    layout->setContentsMargins(0, 0, 0, 0);
    ifo_ = new QLabel(nearArea_);
    ifo_->setObjectName("ifo");
    ifo_->setWordWrap(true);
    moreIfo_ = new QLabel(q(kMoreIfo), nearArea_);
    moreIfo_->setObjectName("MoreIfo");
    moreIfo_->setWordWrap(true);
    nlabel_ = new QLabel(nearArea_);
    nlabel_->setObjectName("Nlabel");
    QFont bold = nlabel_->font();
    bold.setBold(true);
    nlabel_->setFont(bold);
    near_ = new SiteListWidget(nearArea_);
    near_->setObjectName("near");
    near_->setToolTip(q(display::kListToolTip));
    near_->setAcceptsLines(true);
    layout->addWidget(ifo_);
    layout->addWidget(moreIfo_);
    layout->addWidget(nlabel_);
    layout->addWidget(near_, 1);

    auto* nearButtons = new QGridLayout;
    clearLeft_ = button(nearArea_, "ClearLeftList", "Clear All Sites from List");
    auto* closest = button(nearArea_, "closest", "Find the 15 nearest radiosondes to a known lat,lon");
    auto* google = button(nearArea_, "GoogleHelp", "Zoom in on sites in white circle using Google Earth");
    auto* transfer = button(nearArea_, "transfer", "Transfer selected sites Order List");
    nearButtons->addWidget(closest, 0, 0);
    nearButtons->addWidget(google, 0, 1);
    nearButtons->addWidget(transfer, 1, 0);
    nearButtons->addWidget(clearLeft_, 1, 1);
    layout->addLayout(nearButtons);

    orderArea_ = new QWidget(parent);
    orderArea_->setObjectName("OrderArea");
    auto* ol = new QVBoxLayout(orderArea_);
    ol->setContentsMargins(0, 0, 0, 0);
    auto* orderCaption = new QLabel(q(display::kOrderListCaption), orderArea_);
    orderCaption->setObjectName("OrderCaption");
    orderCaption->setFont(bold);
    orderCaption->setWordWrap(true);
    ol->addWidget(orderCaption);
    orderList_ = new SiteListWidget(orderArea_);
    orderList_->setObjectName("order");
    orderList_->setToolTip(q(display::kListToolTip));
    orderList_->setAcceptsLines(true);
    ol->addWidget(orderList_, 1);
    auto* clearItems = button(orderArea_, "clearitems", "Clear Selected Sites from Request");
    auto* clearAll = button(orderArea_, "clearall", "Clear ALL Sites from Request");
    auto* quote = button(orderArea_, "ExportOrder", "Request a Quote by e-mail");
    ol->addWidget(clearItems);
    ol->addWidget(clearAll);
    ol->addWidget(quote);

    orders_ = std::make_unique<session::OrderCommands>(session_);
    orders_->load();
    orders_->changed = [this] {
        showOrder();
        emit orderChanged();
    };
    showOrder();

    connect(clearLeft_, &QPushButton::clicked, this, &OrderPanel::clearLeftList);
    connect(closest, &QPushButton::clicked, this, &OrderPanel::findNearest);
    connect(google, &QPushButton::clicked, this, &OrderPanel::showInGoogleEarth);
    connect(transfer, &QPushButton::clicked, this, &OrderPanel::transferSelected);
    connect(clearItems, &QPushButton::clicked, this, &OrderPanel::clearSelectedFromOrder);
    connect(clearAll, &QPushButton::clicked, this, &OrderPanel::clearAllFromOrder);
    connect(quote, &QPushButton::clicked, this, &OrderPanel::requestQuote);
    connect(near_, &SiteListWidget::linePressed, this, &OrderPanel::linePressed);
    connect(orderList_, &SiteListWidget::linePressed, this, &OrderPanel::linePressed);
    connect(orderList_, &SiteListWidget::lineDropped, this,
            [this](const QString& line) { addToOrder(line.toStdString()); });
    // A line dragged back from the order list moves the circle onto its station.
    connect(near_, &SiteListWidget::lineDropped, this, &OrderPanel::linePressed);
    refreshFromMap();
}

void OrderPanel::refreshFromMap() {
    const std::string& ifo = map_.ifoText().empty() ? std::string(display::kIfoFirstText) : map_.ifoText();
    ifo_->setText(q(ifo));
    ifo_->setStyleSheet(map_.ifoAlert() ? "QLabel { color: rgb(255, 0, 0); }" : "QLabel { color: black; }");
    moreIfo_->setText(q(map_.circle().frozen ? kMoreIfoFrozen : kMoreIfo));
    nlabel_->setText(q(map_.nlabel()));
    // Keep the user's highlighting while the list has not changed.
    if (near_->lines() != map_.nearList()) near_->setLines(map_.nearList());
    clearLeft_->setVisible(map_.clearButtonVisible());
}

void OrderPanel::linePressed(const QString& line) {
    auto site = display::SiteLine::parse(line.toStdString());
    if (!site) return;
    map_.centreOn(*site);
    QApplication::clipboard()->setText(q(clipboardText(line.toStdString())));
    emit mapChanged();
}

void OrderPanel::findNearest() {
    if (map_.findNearest(session_.prompter())) {
        refreshFromMap();
        emit mapChanged();
    }
}

void OrderPanel::clearLeftList() {
    map_.clearLeftList();
    refreshFromMap();
    emit mapChanged();
}

OrderPanel::~OrderPanel() = default;

const std::vector<std::string>& OrderPanel::orderLines() const { return orders_->lines(); }

void OrderPanel::showOrder() {
    if (orderList_->lines() != orders_->lines()) orderList_->setLines(orders_->lines());
}

bool OrderPanel::addToOrder(const std::string& siteLine) { return orders_->transfer({siteLine}) > 0; }

void OrderPanel::transferSelected() { orders_->transfer(near_->selectedLines()); }

void OrderPanel::clearSelectedFromOrder() {
    std::vector<std::size_t> rows;
    for (int i = 0; i < orderList_->count(); ++i)
        if (orderList_->item(i)->isSelected()) rows.push_back(static_cast<std::size_t>(i));
    if (!rows.empty()) orders_->removeLines(rows);
}

void OrderPanel::clearAllFromOrder() { orders_->clearAll(); }

void OrderPanel::requestQuote() {
    orders_->requestQuote([this](session::YearsWindow& years) {
        YearsDialog dialog(years, nearArea_->window());
        return dialog.exec() == QDialog::Accepted;
    });
}

void OrderPanel::showInGoogleEarth() {
    session::showCircleInGoogleEarth(session_, map_.nearList(), [](const std::string& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    });
}

}  // namespace skyloom::gui
