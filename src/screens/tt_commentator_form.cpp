#include "tt_commentator_form.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>

namespace {

constexpr QSize kClient(885, 578);
// Free space between a read-out's figures and the edges of what it shows.
constexpr int kReadoutPadding = 3;

QLabel *make_readout(QWidget *parent, const QFont &face, Qt::Alignment alignment,
                     const QString &role) {
  auto *label = new QLabel(parent);
  label->setFont(face);
  label->setAlignment(alignment | Qt::AlignTop);
  set_up_packet_label(label, role);
  QPalette p = label->palette();
  p.setColor(QPalette::Window, Qt::black);
  p.setColor(QPalette::WindowText, QColor(0xFF, 0xFF, 0x00));
  label->setPalette(p);
  label->setAutoFillBackground(true);
  return label;
}

TextGrid *make_grid(TextGridModel &model, QWidget *parent, const QString &name) {
  auto *g = new TextGrid(model, parent);
  g->setAccessibleName(name);
  return g;
}

// What lies in front of a control: its later siblings that overlap it.
QList<QRect> covers_of(const QWidget *w) {
  QList<QRect> covers;
  bool in_front = false;
  for (const QObject *o : w->parentWidget()->children()) {
    if (o == w) {
      in_front = true;
      continue;
    }
    const auto *sibling = qobject_cast<const QWidget *>(o);
    if (in_front && sibling && !sibling->isHidden() && !sibling->isWindow() &&
        sibling->geometry().intersects(w->geometry()))
      covers.append(sibling->geometry());
  }
  return covers;
}

void show_readout(QLabel *label, ReadoutFitting &fitting, const QString &text) {
  // Most times fit the face as they are: setting the font a label already
  // has still goes through every child and asks for a new layout.
  const QFont fitted = fitting.fit(text, label->contentsRect().width());
  if (label->font() != fitted || !label->testAttribute(Qt::WA_SetFont))
    label->setFont(fitted);
  // Centred by the face's own line, not by the line Qt lays out: a sign the
  // digital face lacks ("+") is drawn from another face, whose taller line,
  // centred, lifted the figures' tops out of the box ("+0.800" read
  // "+U.8UU").
  const QMargins m = label->contentsMargins();
  const int top = (label->height() - QFontMetrics(fitted).height()) / 2;
  if (m.top() != top || m.bottom() != 0)
    label->setContentsMargins(m.left(), top, m.right(), 0);
  show_packet_text(label, text);
}

} // namespace

QFont Ttt_commentator_form::readout_font() {
  QFont f;
  const QString dseg = QStringLiteral("DSEG7 Classic");
  if (QFontDatabase::families().contains(dseg))
    f.setFamily(dseg);
  else
    f = fixed_font_px(48, true);
  f.setPixelSize(48);
  f.setBold(true);
  return f;
}

Ttt_commentator_form::Ttt_commentator_form(const ScreenColours &colours, QWidget *parent)
    : Ttt_commentator_form(*new TtModel(colours), parent) {
  // Created last, the model goes after the views that show it.
  model_.setParent(this);
}

Ttt_commentator_form::Ttt_commentator_form(TtModel &model, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      model_(model), readout_face_(readout_font()), fitting_(readout_face_) {
  set_caption(this, QStringLiteral("TT Vorevadovid Screen"));
  set_background(this, QColor(0x00, 0x00, 0x80));

  Image1 = make_logo_label(this, QSize(105, 113));

  left_.box = new QGroupBox(this);
  set_background(left_.box, QColor(128, 128, 128));
  left_.summary = make_grid(model_.summary(Side::left), left_.box, QStringLiteral("Left racer"));
  left_.time = make_readout(left_.box, readout_face_, Qt::AlignRight, QStringLiteral("Left time"));
  left_.diff = make_readout(left_.box, readout_face_, Qt::AlignRight, QStringLiteral("Left difference"));
  left_.list = make_grid(model_.list(Side::left), left_.box, QStringLiteral("Left racer's list"));

  right_.box = new QGroupBox(this);
  set_background(right_.box, QColor(0, 128, 128));
  right_.time = make_readout(right_.box, readout_face_, Qt::AlignLeft, QStringLiteral("Right time"));
  right_.diff = make_readout(right_.box, readout_face_, Qt::AlignLeft, QStringLiteral("Right difference"));
  right_.summary = make_grid(model_.summary(Side::right), right_.box, QStringLiteral("Right racer"));
  right_.list = make_grid(model_.list(Side::right), right_.box, QStringLiteral("Right racer's list"));

  // Created last, so it lies in front of the inner parts of both panels.
  standings_groupbox = new QGroupBox(QStringLiteral("Standings"), this);
  standings_groupbox->setFont(sans_font_px(16, false));
  set_background(standings_groupbox, QColor(0x00, 0x00, 0xFF));
  // Black would be all but unreadable on the blue box.
  QPalette caption = standings_groupbox->palette();
  caption.setColor(QPalette::WindowText, Qt::white);
  standings_groupbox->setPalette(caption);
  standings_stringgrid = make_grid(model_.standings(), standings_groupbox, QStringLiteral("Standings"));

  const QSize box1(441, 570);
  const QSize box2(427, 570);
  const QSize standings_box(401, 438);
  shell_.anchor(Image1, QRect(399, 8, 105, 113), kClient, anchor_top);
  shell_.anchor(left_.box, QRect(QPoint(8, 4), box1), kClient, anchor_left | anchor_top | anchor_bottom);
  shell_.anchor(left_.summary, QRect(8, 12, 249, 105), box1, anchor_left | anchor_top);
  shell_.anchor(left_.time, QRect(255, 16, 182, 48), box1, anchor_top | anchor_right);
  shell_.anchor(left_.diff, QRect(255, 68, 182, 48), box1, anchor_top | anchor_right);
  shell_.anchor(left_.list, QRect(8, 132, 260, 430), box1, anchor_all);
  shell_.anchor(right_.box, QRect(QPoint(452, 4), box2), kClient, anchor_top | anchor_right | anchor_bottom);
  shell_.anchor(right_.time, QRect(4, 16, 182, 48), box2, anchor_left | anchor_top);
  shell_.anchor(right_.diff, QRect(4, 68, 182, 48), box2, anchor_left | anchor_top);
  shell_.anchor(right_.summary, QRect(176, 16, 245, 105), box2, anchor_left | anchor_top | anchor_right);
  shell_.anchor(right_.list, QRect(176, 132, 246, 430), box2, anchor_all);
  shell_.anchor(standings_groupbox, QRect(QPoint(247, 136), standings_box), kClient, anchor_top | anchor_bottom);
  shell_.anchor(standings_stringgrid, QRect(12, 20, 381, 414), standings_box,
              anchor_left | anchor_top | anchor_bottom);
  resize(kClient);
  for (const Panel *p : {&left_, &right_})
    badge_.keep_clear({p->summary, p->list, p->time, p->diff});
  badge_.keep_clear({standings_stringgrid});
  fit_readouts();

  FormCreate();
  connect(&model_, &TtModel::changed, this, &Ttt_commentator_form::show_readouts);
  show_readouts();
  shell_.on_show([this] { FormShow(); });
  shell_.on_close([this] { emit terminate_requested(); });
  shell_.on_resize([this] { fit_readouts(); });
}

void Ttt_commentator_form::fit_readouts() {
  for (Panel *p : {&left_, &right_}) {
    for (QLabel *l : {p->time, p->diff}) {
      // The figures keep to the part of the box that nothing lies over.
      const QRect box = l->geometry();
      const QRect free = uncovered_part(box, covers_of(l));
      l->setContentsMargins(free.left() - box.left() + kReadoutPadding, 0,
                            box.right() - free.right() + kReadoutPadding, 0);
      show_readout(l, fitting_, l->text());
    }
  }
}

void Ttt_commentator_form::FormCreate() {
  standings_stringgrid->set_grid_lines(true);
  standings_stringgrid->set_column_sizing(true);
  for (Panel *p : {&left_, &right_})
    p->summary->set_scroll_bars(Qt::ScrollBarAlwaysOff, Qt::ScrollBarAlwaysOff);
  for (Panel *p : {&right_, &left_}) {
    p->list->set_scroll_bars(Qt::ScrollBarAlwaysOff, Qt::ScrollBarAsNeeded);
    p->list->set_grid_lines(true);
    p->list->set_column_sizing(true);
  }
}

void Ttt_commentator_form::FormShow() {
  shell_.cover_screen(true);
  model_.start_showing();
}

void Ttt_commentator_form::show_readouts() {
  for (Side side : {Side::left, Side::right}) {
    const Panel &p = panel(side);
    if (p.time->text() != model_.time_text(side))
      show_readout(p.time, fitting_, model_.time_text(side));
    if (p.diff->text() != model_.diff_text(side))
      show_readout(p.diff, fitting_, model_.diff_text(side));
  }
}
