#pragma once

#include <QAbstractListModel>
#include <QColor>
#include <QListView>
#include <QPointer>
#include <QWindow>
#include <QStringList>

// The main window's packet log: lines added at the end, the oldest dropped
// beyond the newest 30 (trim_log). Lines are kept as the 8-bit text they came
// as and turned into text when shown: at a busy feed most of them leave the
// log before it is painted.
class PacketLog : public QAbstractListModel {
  Q_OBJECT
public:
  static constexpr int kMaxLines = 30;

  explicit PacketLog(QObject *parent = nullptr);

  // Adds a line at the end and keeps the newest 30; true when the oldest
  // line was dropped (the view then scrolls to the newest line).
  bool add_line(QByteArray line);
  void clear();

  // The lines as shown.
  QStringList lines() const;
  void set_colours(QColor background, QColor text);

  int rowCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role) const override;

signals:
  // Every line moved up one row and a new one came last; the change of
  // every row is signalled right after.
  void moved_up();

private:
  QList<QByteArray> lines_;
  // What a move up changes, made once rather than for every line.
  const QList<int> text_roles_{Qt::DisplayRole, Qt::AccessibleTextRole};
  QColor background_ = Qt::black;
  QColor text_ = Qt::white;
};

// The log's view, drawing lines with kept layouts. QListView answers a
// changed row by repainting the whole view with its scroll bars, which costs
// more than the rest of a datagram; the log's rows never change size, so
// repainting its rows is enough. When every line moved up, the picture moves
// up by the rows they moved, once, just before the window repaints (moving
// the picture copies all of it: at a busy feed many datagrams come within a
// frame), and only the strip that comes into view and the new last lines
// are painted.
class PacketLogView final : public QListView {
public:
  explicit PacketLogView(QWidget *parent = nullptr);
  void setModel(QAbstractItemModel *model) override;
  void reset() override;

protected:
  void dataChanged(const QModelIndex &top_left, const QModelIndex &bottom_right,
                   const QList<int> &roles) override;
  bool eventFilter(QObject *watched, QEvent *event) override;
  bool viewportEvent(QEvent *event) override;

private:
  bool can_move_picture() const;
  void watch_window();
  void move_picture();
  void paint_all();

  bool moved_up_ = false; // the next change of every row is a move up
  int rows_to_move_ = 0;  // the lines moved up since the picture last moved
  QPointer<QWidget> watched_window_;
  QPointer<QWindow> watched_handle_;
};
