#include "browser_view_control.h"

#include "browser_view_form.h"
#include "main_window.h"
#include "toolkit/dialogs.h"

#include <QLabel>
#include <QMenuBar>
#include <QNetworkInterface>
#include <QStatusBar>

WebFeed web_feed(const FeedState &state) {
  WebFeed f;
  switch (state.level) {
  case FeedLevel::waiting:
    f.level = QStringLiteral("waiting");
    break;
  case FeedLevel::ok:
    f.level = QStringLiteral("ok");
    break;
  case FeedLevel::amber:
    f.level = QStringLiteral("amber");
    break;
  case FeedLevel::red:
    f.level = QStringLiteral("red");
    break;
  }
  f.text = state.text;
  f.stale_s = state.badge_s;
  return f;
}

BrowserViewControl::BrowserViewControl(AppState &state, Tcommentator0_form &main)
    : state_(state), main_(main) {
  run_dialog = [](Tbrowser_view_form &d) { return d.exec() == QDialog::Accepted; };
  dialog_ = new Tbrowser_view_form(&main_);
  QAction *item = main_.menuBar()->addAction(QStringLiteral("&Browser View…"));
  connect(item, &QAction::triggered, this, &BrowserViewControl::BrowserView1Click);

  connect(&main_, &Tcommentator0_form::screen_forward, this,
          [this](PacketKind kind) { view_.set_front(web_screen_name(kind)); });
  FeedHealth &feed = main_.feed();
  connect(&feed, &FeedHealth::changed, this, [this, &feed] { view_.set_feed(web_feed(feed.state())); });
  view_.set_feed(web_feed(feed.state()));
}

BrowserViewControl::~BrowserViewControl() { view_.stop(); }

bool BrowserViewControl::switch_to(const BrowserViewSettings &s) {
  // The same choice again keeps the viewers connected.
  if (s == settings_ && s.on && view_.is_listening())
    return true;
  settings_ = s;
  if (!s.on) {
    view_.stop();
    show_status({});
    return true;
  }
  const QString error = view_.start(s.address, s.port);
  if (!error.isEmpty()) {
    show_status(QStringLiteral("Browser view off: ") + error);
    return false;
  }
  const QStringList urls = browser_urls(s.address, view_.port(), QNetworkInterface::allAddresses());
  show_status(QStringLiteral("Browser view: ") + urls.join(QStringLiteral("  ")));
  return true;
}

void BrowserViewControl::switch_as_remembered() {
  switch_to(load_browser_view_settings(state_.seams.data_folder));
}

void BrowserViewControl::BrowserView1Click() {
  dialog_->set_settings(settings_);
  dialog_->set_local_addresses(QNetworkInterface::allAddresses());
  if (!run_dialog(*dialog_))
    return;
  const auto chosen = dialog_->settings();
  if (!chosen)
    return;
  switch_to(*chosen);
  const FileSaveResult r = save_browser_view_settings(state_.seams.data_folder, *chosen);
  if (r.status == FileSaveResult::failed && state_.seams.dialogs)
    state_.seams.dialogs->general_error(&main_, r.error);
}

void BrowserViewControl::show_status(const QString &text) {
  status_ = text;
  // The bar appears with the first thing to say: a program that never
  // switches the view on keeps its window as designed.
  if (!status_label_ && text.isEmpty())
    return;
  if (!status_label_) {
    status_label_ = new QLabel(&main_);
    status_label_->setTextFormat(Qt::PlainText);
    status_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_label_->setAccessibleName(QStringLiteral("Browser view"));
    main_.statusBar()->addWidget(status_label_, 1);
  }
  status_label_->setText(text);
  main_.statusBar()->setVisible(!text.isEmpty());
}
