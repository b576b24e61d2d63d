#pragma once
// A font description that re-creates its font after every change. Starts as 12-pixel
// "Times New Roman", regular, antialiased.

#include <QFont>
#include <string>

namespace ui {

class CAppFont {
  public:
    CAppFont();

    // Character height in pixels (negative values mean the same as positive ones, as the
    // description is a character height); returns the previous height.
    int SetHeight(int height);
    void SetFaceName(const std::string& face);
    // Weight 700 or 400; returns whether the previous weight was 500 or more.
    bool SetBold(bool bold);

    int Height() const { return height_; }
    int Weight() const { return weight_; }
    const std::string& FaceName() const { return face_; }
    // The font as Qt draws it; a face missing on this desktop falls back to a similar one.
    const QFont& Font() const { return font_; }

  private:
    void Recreate();

    int height_ = -12;
    int weight_ = 400;
    std::string face_ = "Times New Roman";
    QFont font_;
};

}  // namespace ui
