#pragma once

#include "protocol/dispatcher.h"
#include "screen_support.h"
#include "toolkit/feed_badge.h"
#include "toolkit/screen_colours.h"
#include "toolkit/text_grid.h"

#include <QByteArrayView>
#include <QWidget>

class QGroupBox;
class QLabel;

// The scratch / keirin screen: the heat's event block and up to 50
// competitor lines. Closing it ends the program.
class Tcommentator_scratch : public QWidget {
  Q_OBJECT
public:
  static constexpr int kLines = 50;

  explicit Tcommentator_scratch(const ScreenColours &colours, QWidget *parent = nullptr);

  ApplyResult apply_packet(QByteArrayView packet);
  void clear_all();

  TextGridModel &event_table() { return StringGrid1->grid(); }
  TextGridModel &competitor_table() { return StringGrid2->grid(); }
  TextGrid *event_view() const { return StringGrid1; }
  TextGrid *competitor_view() const { return StringGrid2; }
  // The "no data" badge, shown while the results feed is silent.
  FeedBadge &feed_badge() { return badge_; }

signals:
  // The window was closed: the program ends.
  void terminate_requested();

protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

private:
  void FormCreate(const ScreenColours &colours);
  void FormShow();

  QGroupBox *GroupBox1 = nullptr;
  TextGrid *StringGrid1 = nullptr;
  QGroupBox *GroupBox2 = nullptr;
  TextGrid *StringGrid2 = nullptr;
  QLabel *Image1 = nullptr;
  QLabel *Image2 = nullptr;
  AnchorLayout layout_;
  FeedBadge badge_{this};
};
