#pragma once

#include "protocol/dispatcher.h"
#include "toolkit/feed_badge.h"
#include "toolkit/screen_colours.h"
#include "toolkit/text_grid.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QWidget>

class QGroupBox;
class QLabel;

// The sprint screen: one heat, its title, up to four racers, the time and
// the speed. Each Packet replaces the whole heat. Closing it ends the program.
class Tsprintr_commentator_form : public QWidget {
  Q_OBJECT
public:
  // The colours are read when the window is shown.
  explicit Tsprintr_commentator_form(const ScreenColours &colours, QWidget *parent = nullptr);

  ApplyResult apply_packet(QByteArrayView packet);

  TextGridModel &heat_table() { return StringGrid1->grid(); }
  TextGrid *heat_view() const { return StringGrid1; }
  QLabel *title_label() const { return Label1; }
  // The title line as received (8-bit).
  const QByteArray &title() const { return title_; }
  // The "no data" badge, shown while the results feed is silent.
  FeedBadge &feed_badge() { return badge_; }

signals:
  // The window was closed: the program ends.
  void terminate_requested();

protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

private:
  void FormCreate();
  void FormShow();

  const ScreenColours &colours_;
  QGroupBox *GroupBox1 = nullptr;
  QLabel *Label1 = nullptr;
  TextGrid *StringGrid1 = nullptr;
  QLabel *Image1 = nullptr;
  QByteArray title_;
  FeedBadge badge_{this};
};
