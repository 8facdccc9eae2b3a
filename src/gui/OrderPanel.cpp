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

#include <SQLiteCpp/Statement.h>

#include "core/MainDatabase.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "display/KmlExport.h"
#include "display/MapModel.h"
#include "display/SiteLine.h"
#include "gui/SiteListWidget.h"
#include "ordering/OrderList.h"
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

    order_ = ordering::loadOrderList(session_.appDir());
    orderList_->setLines(order_);

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

bool OrderPanel::addToOrder(const std::string& siteLine) {
    long wmo = ordering::lineWmo(siteLine);
    if (wmo == 0) return false;
    for (const auto& l : order_)
        if (ordering::lineWmo(l) == wmo) return false;
    order_.push_back(ordering::toOrderLine(siteLine));
    orderList_->addLine(order_.back());
    saveOrder();
    return true;
}

void OrderPanel::transferSelected() {
    for (const auto& line : near_->selectedLines()) addToOrder(line);
}

void OrderPanel::clearInventorySelection(long wmo) {
    SQLite::Statement st(session_.mainDb().db(), "UPDATE Inventory SET Selected = 0 WHERE WMO = ?");
    st.bind(1, static_cast<std::int64_t>(wmo));
    st.exec();
}

void OrderPanel::clearSelectedFromOrder() {
    std::vector<std::string> keep;
    for (int i = 0; i < orderList_->count(); ++i) {
        std::string line = SiteListWidget::lineOf(orderList_->item(i));
        if (orderList_->item(i)->isSelected()) clearInventorySelection(ordering::lineWmo(line));
        else keep.push_back(line);
    }
    order_ = keep;
    orderList_->setLines(order_);
    saveOrder();
}

void OrderPanel::clearAllFromOrder() {
    for (const auto& l : order_) clearInventorySelection(ordering::lineWmo(l));
    order_.clear();
    orderList_->setLines(order_);
    ordering::deleteOrderList(session_.appDir());
    emit orderChanged();
}

void OrderPanel::saveOrder() {
    ordering::saveOrderList(session_.appDir(), order_);
    emit orderChanged();
}

void OrderPanel::requestQuote() {
    if (order_.empty()) return;
    auto details = ordering::askQuoteDetails(session_.prompter(), session_.email);
    if (!details) return;
    if (details->emailIsNew) {
        session_.email = details->email;
        session_.settings().set("Email", details->email);
    }
    // The supplier's server is outside this program: requests wait in the outbox folder.
    auto outbox = std::filesystem::path(session_.appDir()) / "outbox";
    ordering::sendQuotation(session_.appDir(), order_, *details,
                            [&outbox](const std::filesystem::path& file) {
                                std::error_code ec;
                                std::filesystem::create_directories(outbox, ec);
                                std::filesystem::copy_file(file, outbox / file.filename(),
                                                           std::filesystem::copy_options::overwrite_existing, ec);
                                return !ec;
                            },
                            session_.prompter());
}

void OrderPanel::showInGoogleEarth() {
    auto file = display::exportCircleToGoogleEarth(map_.nearList(), session_.appDir(), session_.prompter());
    if (file) QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file->string())));
}

}  // namespace skyloom::gui
