#include "ui/AppFont.h"

#include <algorithm>
#include <cstdlib>

namespace ui {

CAppFont::CAppFont() {
    Recreate();
}

int CAppFont::SetHeight(int height) {
    const int previous = height_;
    height_ = height;
    Recreate();
    return previous;
}

void CAppFont::SetFaceName(const std::string& face) {
    face_ = face;
    Recreate();
}

bool CAppFont::SetBold(bool bold) {
    const bool wasBold = weight_ >= 500;
    weight_ = bold ? 700 : 400;
    Recreate();
    return wasBold;
}

void CAppFont::Recreate() {
    QFont font(QString::fromStdString(face_));
    // Roman family with variable pitch: the closest fallback is a serif face.
    font.setStyleHint(face_ == "Times New Roman" ? QFont::Serif : QFont::SansSerif,
                      QFont::PreferAntialias);
    font.setPixelSize(std::max(1, std::abs(height_)));
    font.setWeight(weight_ >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setKerning(true);
    font_ = font;
}

}  // namespace ui
