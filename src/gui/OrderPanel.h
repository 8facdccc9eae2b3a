#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QObject>

class QWidget;

class QLabel;
class QPushButton;

namespace skyloom::display { class MapModel; }
namespace skyloom::session {
class OrderCommands;
class Session;
}  // namespace skyloom::session

namespace skyloom::gui {

class SiteListWidget;

// The lists of the Order Data page: the sites in the white circle (`near`) with
// their commands, and the order list (`order`) kept in "OrderList.bin".
class OrderPanel : public QObject {
    Q_OBJECT
public:
    OrderPanel(session::Session& session, display::MapModel& map, QWidget* parent);
    ~OrderPanel() override;

    // The near list with its labels and buttons, and the order list with its buttons.
    QWidget* nearArea() const { return nearArea_; }
    QWidget* orderArea() const { return orderArea_; }

    // Shows the model's near list, Nlabel, ifo and the clear button.
    void refreshFromMap();
    const std::vector<std::string>& orderLines() const;
    session::OrderCommands& orders() { return *orders_; }
    // Adds a site to the order list (once per station) and saves the list.
    bool addToOrder(const std::string& siteLine);
    SiteListWidget* nearList() const { return near_; }
    SiteListWidget* orderList() const { return orderList_; }
    QLabel* nlabel() const { return nlabel_; }
    QLabel* ifo() const { return ifo_; }
    QPushButton* clearLeftListButton() const { return clearLeft_; }

    // The clipboard text of a pressed near-list or order-list line.
    static std::string clipboardText(const std::string& line);

public slots:
    void findNearest();
    void clearLeftList();
    void transferSelected();
    void clearSelectedFromOrder();
    void clearAllFromOrder();

signals:
    // The circle or the white dot moved: the map redraws.
    void mapChanged();
    // The order list changed: the red circles are drawn again.
    void orderChanged();

private:
    void linePressed(const QString& line);
    void showOrder();
    void requestQuote();
    void showInGoogleEarth();

    session::Session& session_;
    display::MapModel& map_;
    std::unique_ptr<session::OrderCommands> orders_;
    QWidget* nearArea_ = nullptr;
    QWidget* orderArea_ = nullptr;
    QLabel* ifo_ = nullptr;
    QLabel* moreIfo_ = nullptr;
    QLabel* nlabel_ = nullptr;
    SiteListWidget* near_ = nullptr;
    SiteListWidget* orderList_ = nullptr;
    QPushButton* clearLeft_ = nullptr;
};

}  // namespace skyloom::gui
