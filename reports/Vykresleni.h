#pragma once
// Painting prepared pages: one routine for the preview, the printer, PDF
// and the pictures, so that every output shows the same layout.
#include <QFont>
#include <QImage>

#include "Priprava.h"

class QPainter;

namespace sestavy {

// The type of a style's texts: its size in points times `zvetseni`.
QFont PismoStylu(const Styl& styl, double zvetseni = 1.0);
// Whether a text wraps over lines in its box: only where the box holds two
// of its lines (both heights in one unit). Otherwise it stays on one line
// and is cut where the box ends.
inline bool ZalamujeSe(double vyskaBoxu, double vyskaRadku) { return vyskaBoxu >= 1.9 * vyskaRadku; }
// How far a text keeps off the sides of its box, and how wide a box's
// border is drawn; millimetres.
inline constexpr double kOdsazeniTextu = 0.5;
inline constexpr double kSirkaRamecku = 0.2;

// Paints page `strana` with its top left corner at the painter's origin,
// `bodyNaMm` device pixels to the millimetre. `zvyraznena` (optional) is
// drawn highlighted (a text found in the preview).
void VykresliStranu(QPainter& painter, const PripravenaSestava& sestava, int strana, double bodyNaMm,
                    const Polozka* zvyraznena = nullptr);

// The page as a white picture at `dpi`.
QImage ObrazekStrany(const PripravenaSestava& sestava, int strana, int dpi = 96);

}  // namespace sestavy
