#include "tt_commentator_form.h"

#include "protocol/fields.h"
#include "protocol/text8.h"
#include "toolkit/readout.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QShowEvent>

namespace {

constexpr QSize kClient(885, 578);
constexpr int kSmallRowHeight = 18;
const char *const kListHeadings[] = {"ToGo", "Net", "Diff"};
constexpr QByteArrayView kSeparator = "  /  ";

QFont grid_font() { return sans_font_px(13, true); }

// Free space between a read-out's figures and the edges of what it shows.
constexpr int kReadoutPadding = 3;

QLabel *make_readout(QWidget *parent, const QFont &face, Qt::Alignment alignment,
                     const QString &role) {
  auto *label = new QLabel(parent);
  label->setFont(face);
  label->setAlignment(alignment | Qt::AlignVCenter);
  set_up_packet_label(label, role);
  QPalette p = label->palette();
  p.setColor(QPalette::Window, Qt::black);
  p.setColor(QPalette::WindowText, QColor(0xFF, 0xFF, 0x00));
  label->setPalette(p);
  label->setAutoFillBackground(true);
  return label;
}

TextGrid *make_grid(QWidget *parent, const QString &name) {
  auto *g = new TextGrid(parent);
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

void show_readout(QLabel *label, const QFont &face, const QString &text) {
  label->setFont(fit_readout_font(text, face, label->contentsRect().width()));
  show_packet_text(label, text);
}

void set_list_headings(TextGridModel &list) {
  for (int c = 0; c < 3; ++c)
    list.set_cell(c, 0, kListHeadings[c]);
}

// The value cut to a short text, for the result line.
void append_cut(QByteArray &line, QByteArrayView part) {
  line.append(part);
  line.truncate(kShortTextMax);
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
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      colours_(colours), readout_face_(readout_font()) {
  set_caption(this, QStringLiteral("TT Vorevadovid Screen"));
  set_background(this, QColor(0x00, 0x00, 0x80));

  Image1 = make_logo_label(this, QSize(105, 113));

  left_.box = new QGroupBox(this);
  set_background(left_.box, QColor(128, 128, 128));
  left_.summary = make_grid(left_.box, QStringLiteral("Left racer"));
  left_.time = make_readout(left_.box, readout_face_, Qt::AlignRight, QStringLiteral("Left time"));
  left_.diff = make_readout(left_.box, readout_face_, Qt::AlignRight, QStringLiteral("Left difference"));
  left_.list = make_grid(left_.box, QStringLiteral("Left racer's list"));

  right_.box = new QGroupBox(this);
  set_background(right_.box, QColor(0, 128, 128));
  right_.time = make_readout(right_.box, readout_face_, Qt::AlignLeft, QStringLiteral("Right time"));
  right_.diff = make_readout(right_.box, readout_face_, Qt::AlignLeft, QStringLiteral("Right difference"));
  right_.summary = make_grid(right_.box, QStringLiteral("Right racer"));
  right_.list = make_grid(right_.box, QStringLiteral("Right racer's list"));

  // Created last, so it lies in front of the inner parts of both panels.
  standings_groupbox = new QGroupBox(QStringLiteral("Standings"), this);
  standings_groupbox->setFont(sans_font_px(16, false));
  set_background(standings_groupbox, QColor(0x00, 0x00, 0xFF));
  // Black would be all but unreadable on the blue box.
  QPalette caption = standings_groupbox->palette();
  caption.setColor(QPalette::WindowText, Qt::white);
  standings_groupbox->setPalette(caption);
  standings_stringgrid = make_grid(standings_groupbox, QStringLiteral("Standings"));

  const QSize box1(441, 570);
  const QSize box2(427, 570);
  const QSize standings_box(401, 438);
  layout_.add(Image1, QRect(399, 8, 105, 113), kClient, anchor_top);
  layout_.add(left_.box, QRect(QPoint(8, 4), box1), kClient, anchor_left | anchor_top | anchor_bottom);
  layout_.add(left_.summary, QRect(8, 12, 249, 105), box1, anchor_left | anchor_top);
  layout_.add(left_.time, QRect(255, 16, 182, 48), box1, anchor_top | anchor_right);
  layout_.add(left_.diff, QRect(255, 68, 182, 48), box1, anchor_top | anchor_right);
  layout_.add(left_.list, QRect(8, 132, 260, 430), box1, anchor_all);
  layout_.add(right_.box, QRect(QPoint(452, 4), box2), kClient, anchor_top | anchor_right | anchor_bottom);
  layout_.add(right_.time, QRect(4, 16, 182, 48), box2, anchor_left | anchor_top);
  layout_.add(right_.diff, QRect(4, 68, 182, 48), box2, anchor_left | anchor_top);
  layout_.add(right_.summary, QRect(176, 16, 245, 105), box2, anchor_left | anchor_top | anchor_right);
  layout_.add(right_.list, QRect(176, 132, 246, 430), box2, anchor_all);
  layout_.add(standings_groupbox, QRect(QPoint(247, 136), standings_box), kClient, anchor_top | anchor_bottom);
  layout_.add(standings_stringgrid, QRect(12, 20, 381, 414), standings_box,
              anchor_left | anchor_top | anchor_bottom);
  resize(kClient);
  for (const Panel *p : {&left_, &right_})
    badge_.keep_clear({p->summary, p->list, p->time, p->diff});
  badge_.keep_clear({standings_stringgrid});
  fit_readouts();

  FormCreate();
}

void Ttt_commentator_form::fit_readouts() {
  for (Panel *p : {&left_, &right_}) {
    for (QLabel *l : {p->time, p->diff}) {
      // The figures keep to the part of the box that nothing lies over.
      const QRect box = l->geometry();
      const QRect free = uncovered_part(box, covers_of(l));
      l->setContentsMargins(free.left() - box.left() + kReadoutPadding, 0,
                            box.right() - free.right() + kReadoutPadding, 0);
      show_readout(l, readout_face_, l->text());
    }
  }
}

void Ttt_commentator_form::FormCreate() {
  TextGridModel &s = standings();
  s.set_row_count(kPositions + 1);
  s.set_fixed_rows(1);
  s.set_col_count(4);
  s.set_fixed_cols(1);
  const int widths[] = {40, 150, 85, 70};
  for (int c = 0; c < 4; ++c)
    s.set_col_width(c, widths[c]);
  s.set_font(grid_font());
  standings_stringgrid->set_grid_lines(true);
  standings_stringgrid->set_column_sizing(true);

  for (Panel *p : {&left_, &right_}) {
    TextGridModel &g = p->summary->grid();
    g.set_col_count(1);
    g.set_row_count(4);
    g.set_col_width(0, p->summary->width());
    g.set_font(grid_font());
    p->summary->set_scroll_bars(Qt::ScrollBarAlwaysOff, Qt::ScrollBarAlwaysOff);
    g.set_fixed_cols(0);
    g.set_fixed_rows(0);
  }
  for (Panel *p : {&right_, &left_}) {
    TextGridModel &g = p->list->grid();
    g.set_col_count(3);
    g.set_row_count(kListLines + 1);
    const int list_widths[] = {30, 85, 60};
    for (int c = 0; c < 3; ++c)
      g.set_col_width(c, list_widths[c]);
    g.set_font(grid_font());
    p->list->set_scroll_bars(Qt::ScrollBarAlwaysOff, Qt::ScrollBarAsNeeded);
    p->list->set_grid_lines(true);
    p->list->set_column_sizing(true);
    g.set_fixed_cols(0);
    g.set_fixed_rows(1);
  }
}

void Ttt_commentator_form::FormShow() {
  cover_->cover(screen_geometry_(), true);
  standings().set_default_row_height(kSmallRowHeight);
  left_.list->grid().set_default_row_height(kSmallRowHeight);
  right_.list->grid().set_default_row_height(kSmallRowHeight);
  clear_all();
  standings().set_screen_colours(colours_);
  for (Panel *p : {&left_, &right_}) {
    p->summary->grid().set_screen_colours(colours_);
    p->list->grid().set_screen_colours(colours_);
  }
}

void Ttt_commentator_form::clear_racers() {
  for (Panel *p : {&left_, &right_}) {
    p->summary->grid().clear_cells();
    p->list->grid().clear_cells();
    set_list_headings(p->list->grid());
  }
  for (Panel *p : {&left_, &right_}) {
    show_readout(p->time, readout_face_, {});
    show_readout(p->diff, readout_face_, {});
  }
}

void Ttt_commentator_form::clear_all() {
  for (int r = 1; r <= kPositions; ++r)
    standings().clear_row(r);
  standings().forget_user_widths();
  clear_racers();
}

Ttt_commentator_form::Side Ttt_commentator_form::choose_side(QByteArrayView packet) {
  const QByteArrayView crs = tag_value(packet, "{crs}");
  const QByteArrayView stack = tag_value(packet, "{stack}");
  const bool zero_or_one = crs == QByteArrayView("0") || crs == QByteArrayView("1");
  return zero_or_one && crs == stack ? Side::left : Side::right;
}

QByteArray Ttt_commentator_form::result_line(QByteArrayView packet) {
  QByteArray line;
  append_cut(line, tag_value(packet, "{time}"));
  for (const char *tag : {"{diff}", "{rank}", "{spdk}"}) {
    const QByteArrayView v = tag_value(packet, tag);
    if (v.isEmpty())
      continue;
    append_cut(line, kSeparator);
    append_cut(line, v);
  }
  return line;
}

ApplyResult Ttt_commentator_form::apply_packet(QByteArrayView packet) {
  // Each Packet does one thing: the first of these that it carries.
  if (is_flag(packet, "{clr}")) {
    clear_all();
    return ApplyResult::go_on;
  }
  if (is_flag(packet, "{clr_racers}")) {
    clear_racers();
    return ApplyResult::go_on;
  }
  if (const QByteArrayView p = tag_value(packet, "{standings}"); !p.isEmpty()) {
    apply_standings_line(packet, leading_number(p));
    return ApplyResult::go_on;
  }
  if (!tag_value(packet, "{tick-hit}").isEmpty()) {
    apply_racer_update(packet);
    return ApplyResult::go_on;
  }
  if (!tag_value(packet, "{audit}").isEmpty())
    apply_list_update(packet);
  return ApplyResult::go_on;
}

void Ttt_commentator_form::apply_standings_line(QByteArrayView packet, int position) {
  if (position < 0 || position >= kPositions)
    return;
  TextGridModel &s = standings();
  const int row = position + 1;
  // The standings read "{dif}"; the racer update reads "{diff}".
  const char *const tags[] = {"{rnk}", "{name}", "{score}", "{dif}"};
  for (int c = 0; c < 4; ++c)
    s.set_cell(c, row, tag_value(packet, tags[c]));
}

void Ttt_commentator_form::apply_racer_update(QByteArrayView packet) {
  Panel &p = panel(choose_side(packet));
  TextGridModel &summary = p.summary->grid();
  summary.set_cell(0, 0, tag_value(packet, "{name}"));
  show_readout(p.time, readout_face_, from_8bit(tag_value(packet, "{time}")));
  show_readout(p.diff, readout_face_, from_8bit(tag_value(packet, "{diff}")));
  summary.set_cell(0, 1, result_line(packet));
  summary.set_cell(0, 2, tag_value(packet, "{ltg}"));
  summary.set_cell(0, 3, tag_value(packet, "{dist}"));
  TextGridModel &list = p.list->grid();
  for (int i = 1; i <= kListLines; ++i)
    list.set_cell(0, i, tag_value(packet, numbered_tag("{ltg", i)));
}

void Ttt_commentator_form::apply_list_update(QByteArrayView packet) {
  TextGridModel &list = panel(choose_side(packet)).list->grid();
  for (int i = 1; i <= kListLines; ++i) {
    list.set_cell(1, i, tag_value(packet, numbered_tag("{n", i)));
    list.set_cell(2, i, tag_value(packet, numbered_tag("{d", i)));
  }
}

void Ttt_commentator_form::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!event->spontaneous())
    FormShow();
}

void Ttt_commentator_form::closeEvent(QCloseEvent *event) {
  event->accept();
  emit terminate_requested();
}

void Ttt_commentator_form::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  layout_.apply();
  fit_readouts();
}
