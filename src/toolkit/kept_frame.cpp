#include "kept_frame.h"

#include "kept_pictures.h"

#include <QGroupBox>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyle>

#include <array>
#include <functional>
#include <optional>
#include <utility>

namespace {

// Room for one widget's pictures: a control's strip of a full-screen box is
// some tens of kilobytes, a table's bar about as much.
constexpr qsizetype kBytes = 2 << 20;

// One opaque colour, or none.
QColor solid(const QBrush &brush) {
  return brush.style() == Qt::SolidPattern && brush.isOpaque() ? brush.color() : QColor();
}

// The colour under `w`, when its parent paints one opaque colour and no
// sibling lies under it.
QColor colour_under(const QWidget *w) {
  const QWidget *parent = w->parentWidget();
  if (!parent || w->isWindow() || !parent->autoFillBackground())
    return {};
  const QColor colour = solid(parent->palette().brush(parent->backgroundRole()));
  if (!colour.isValid())
    return {};
  for (const QObject *o : parent->children()) {
    if (o == w)
      break;
    const auto *sibling = qobject_cast<const QWidget *>(o);
    if (sibling && !sibling->isHidden() && !sibling->isWindow() &&
        sibling->geometry().intersects(w->geometry()))
      return {};
  }
  return colour;
}

// Everything the pixels of a part of a widget depend on.
struct Look {
  QRect part;
  QSize size;
  QString text;
  QString font;
  qint64 palette = 0;
  const QStyle *style = nullptr;
  quint64 under = 0;
  std::array<int, 8> state{};
  QImage::Format format = QImage::Format_Invalid;
  bool operator==(const Look &) const = default;
};

size_t qHash(const Look &k, size_t seed) noexcept {
  seed = qHashMulti(seed, k.part.x(), k.part.y(), k.part.width(), k.part.height(),
                    k.size.width(), k.size.height(), k.text, k.font, k.palette, quintptr(k.style),
                    k.under, int(k.format));
  return qHashRange(k.state.begin(), k.state.end(), seed);
}

// Whether `w` looks otherwise in an active window. Qt repaints a widget on
// its window's activation only when its colours for the two differ, and so
// does this: a screen brought forward paints before its activation arrives,
// and a picture keyed on the activation was never made.
bool active_look(const QWidget *w) {
  return w->isActiveWindow() && !w->palette().isEqual(QPalette::Active, QPalette::Inactive);
}

// What every look shares; `under` is the colour painted under the widget.
Look common_look(const QWidget *w, QRect part, QColor under, QImage::Format format) {
  Look look;
  look.part = part;
  look.size = w->size();
  look.font = w->font().key();
  look.palette = w->palette().cacheKey();
  look.style = w->style();
  look.under = under.rgba64();
  look.format = format;
  return look;
}

// Paints the parts of a widget that it painted before exactly so from
// pictures of them. `look_of` gives the look of a part, or nothing when the
// widget must paint it itself.
class WidgetPictures final : public QObject {
public:
  using LookOf = std::function<std::optional<Look>(QRect part, QImage::Format format)>;

  WidgetPictures(QWidget *widget, LookOf look_of)
      : QObject(widget), widget_(widget), look_of_(std::move(look_of)), pictures_(kBytes, 64) {
    widget->installEventFilter(this);
  }

  bool eventFilter(QObject *watched, QEvent *event) override {
    if (watched != widget_ || event->type() != QEvent::Paint || rendering_)
      return false;
    return paint(static_cast<QPaintEvent *>(event)->region());
  }

private:
  // Paints the part from its picture; false to let the widget paint itself.
  bool paint(const QRegion &region) {
    QPainter p(widget_);
    const QImage::Format format = format_for_copies(&p);
    const QRect part = region.boundingRect();
    if (!pictures_.fits(part.size(), format))
      return false;
    std::optional<Look> look = look_of_(part, format);
    if (!look)
      return false;
    if (const QImage picture = pictures_.kept(*look); !picture.isNull()) {
      p.setClipRegion(region);
      p.drawImage(part.topLeft(), picture);
      return true;
    }
    // A widget cannot be rendered while it paints: the picture is made
    // once this painting is over, from the widget as it is then.
    if (pictures_.painted_again(*look))
      QMetaObject::invokeMethod(
          this, [this, look = std::move(*look)] { make_picture(look); }, Qt::QueuedConnection);
    return false;
  }

  void make_picture(const Look &look) {
    const std::optional<Look> now = look_of_(look.part, look.format);
    if (!now || !(*now == look))
      return;
    QImage picture(look.part.size(), look.format);
    if (picture.isNull())
      return;
    picture.fill(QColor::fromRgba64(QRgba64::fromRgba64(look.under)));
    rendering_ = true;
    widget_->render(&picture, QPoint(0, 0), QRegion(look.part), {});
    rendering_ = false;
    pictures_.keep(look, picture);
  }

  QWidget *widget_;
  LookOf look_of_;
  KeptPictures<Look> pictures_;
  bool rendering_ = false;
};

} // namespace

void keep_frame_pictures(QGroupBox *box) {
  new WidgetPictures(box, [box](QRect part, QImage::Format format) -> std::optional<Look> {
    const QColor under = colour_under(box);
    if (!under.isValid())
      return std::nullopt;
    Look look = common_look(box, part, under, format);
    look.text = box->title();
    look.state = {int(box->alignment()),  int(box->isEnabled()),   int(active_look(box)),
                  int(box->isCheckable()), int(box->isChecked()),  int(box->isFlat()),
                  int(box->hasFocus()),    int(box->underMouse())};
    return look;
  });
}

void keep_bar_pictures(QScrollBar *bar) {
  new WidgetPictures(bar, [bar](QRect part, QImage::Format format) -> std::optional<Look> {
    const QColor under =
        bar->autoFillBackground() ? solid(bar->palette().brush(bar->backgroundRole())) : QColor();
    if (!under.isValid() || bar->underMouse() || bar->isSliderDown())
      return std::nullopt;
    Look look = common_look(bar, part, under, format);
    look.state = {int(bar->orientation()) | int(bar->invertedAppearance()) << 2 |
                      int(bar->invertedControls()) << 3 | int(bar->isEnabled()) << 4 |
                      int(active_look(bar)) << 5 | int(bar->hasFocus()) << 6,
                  bar->minimum(),
                  bar->maximum(),
                  bar->value(),
                  bar->sliderPosition(),
                  bar->pageStep(),
                  bar->singleStep(),
                  int(bar->layoutDirection())};
    return look;
  });
}
