#include "treedoc/TreeViewFont.h"

namespace zel {

namespace {
// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c) {
  const long long p = static_cast<long long>(a) * b;
  return static_cast<int>((p >= 0 ? p + c / 2 : p - c / 2) / c);
}
}  // namespace

void TTreeFont::SetSize(int points, int pixelsPerInch) {
  Size = points;
  Height = -MulDiv(points, pixelsPerInch, 72);
}

void TTreeFont::SetHeight(int height, int pixelsPerInch) {
  Height = height;
  Size = -MulDiv(height, 72, pixelsPerInch);
}

}  // namespace zel
