#pragma once

#include <QLineEdit>
#include <QListWidget>

namespace skyloom::gui {

// A list of site lines (near list, order list, data-sites list): shows each
// line's visible part, keeps the whole line with its hidden key, and moves lines
// by drag and drop as plain text.
class SiteListWidget : public QListWidget {
    Q_OBJECT
public:
    explicit SiteListWidget(QWidget* parent = nullptr);

    void setLines(const std::vector<std::string>& lines);
    void addLine(const std::string& line);
    std::vector<std::string> lines() const;
    std::vector<std::string> selectedLines() const;
    static std::string lineOf(const QListWidgetItem* item);
    // Whether lines dropped here are taken (emits lineDropped).
    void setAcceptsLines(bool on);

signals:
    void linePressed(const QString& line);
    void lineDropped(const QString& line);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    QPoint pressAt_;
    QString pressedLine_;
};

// A text field that drags its text and takes dropped site lines (`SelSite`, `Tlat`, `Tlon`).
class DragField : public QLineEdit {
    Q_OBJECT
public:
    explicit DragField(QWidget* parent = nullptr);
    // The text a drag carries (Tlat and Tlon carry "lat, lon"); the field's text when empty.
    void setDragText(std::function<QString()> text) { dragText_ = std::move(text); }

signals:
    void lineDropped(const QString& line);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    QPoint pressAt_;
    std::function<QString()> dragText_;
};

}  // namespace skyloom::gui
