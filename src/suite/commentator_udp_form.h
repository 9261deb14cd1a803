#pragma once

#include <QWidget>

class BroadcastQueue;
class QListWidget;

// The broadcast sender's window, along the top edge of the screen; the queue,
// its socket and its timer are the BroadcastQueue's.
class TCommentator_udp_form : public QWidget {
  Q_OBJECT
public:
  explicit TCommentator_udp_form(BroadcastQueue &queue, QWidget *parent = nullptr);
  ~TCommentator_udp_form() override;

  BroadcastQueue &queue() const { return queue_; }
  QListWidget *list() const { return ListBox1; }
  void ListBox1DblClick();

protected:
  void resizeEvent(QResizeEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void FormCreate();

  BroadcastQueue &queue_;
  QListWidget *ListBox1 = nullptr;
};
