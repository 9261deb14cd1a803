#include "kept_pictures.h"

#include <QPaintEngine>

#include <cmath>

QImage::Format format_for_copies(const QPainter *painter) {
  if (painter->opacity() != 1.0 ||
      painter->compositionMode() != QPainter::CompositionMode_SourceOver)
    return QImage::Format_Invalid;
  const QTransform &t = painter->deviceTransform();
  if (t.type() > QTransform::TxTranslate || t.dx() != std::floor(t.dx()) ||
      t.dy() != std::floor(t.dy()))
    return QImage::Format_Invalid;
  const QPaintEngine *engine = painter->paintEngine();
  const QPaintDevice *device = engine ? engine->paintDevice() : nullptr;
  if (!device || engine->type() != QPaintEngine::Raster || device->devType() != QInternal::Image ||
      device->devicePixelRatio() != 1.0)
    return QImage::Format_Invalid;
  return static_cast<const QImage *>(device)->format();
}
