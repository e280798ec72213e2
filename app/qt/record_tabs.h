// The tab control 选择夹1: a row of page tabs 24 pixels high and, under it, a page area
// of a fixed size that each record list fills exactly, whatever frame and tab sizes the
// widget style would otherwise reserve.
#pragma once

#include <QTabWidget>
#include <memory>

class QStyle;

namespace velmora {

class RecordTabs : public QTabWidget {
    Q_OBJECT

  public:
    static constexpr int kTabRowHeight = 24;
    static constexpr int kPageWidth = 656;
    static constexpr int kPageHeight = 264;

    explicit RecordTabs(QWidget* parent = nullptr);
    ~RecordTabs() override;

  private:
    std::unique_ptr<QStyle> style_;
};

}  // namespace velmora
