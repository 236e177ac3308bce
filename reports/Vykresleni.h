#pragma once
// Painting prepared pages: one routine for the preview, the printer, PDF
// and the pictures, so that every output shows the same layout.
#include <QImage>

#include "Priprava.h"

class QPainter;

namespace sestavy {

// Paints page `strana` with its top left corner at the painter's origin,
// `bodyNaMm` device pixels to the millimetre. `zvyraznena` (optional) is
// drawn highlighted (a text found in the preview).
void VykresliStranu(QPainter& painter, const PripravenaSestava& sestava, int strana, double bodyNaMm,
                    const Polozka* zvyraznena = nullptr);

// The page as a white picture at `dpi`.
QImage ObrazekStrany(const PripravenaSestava& sestava, int strana, int dpi = 96);

}  // namespace sestavy
