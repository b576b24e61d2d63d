#include "ui/HotRegion.h"

namespace ui {

CHotRegion::CHotRegion(int id, QRegion region) : id_(id), region_(std::move(region)) {}

CSkinBase::~CSkinBase() = default;

CHotRegion& CSkinBase::AddRegion(std::unique_ptr<CHotRegion> region) {
    regions_.push_back(std::move(region));
    return *regions_.back();
}

}  // namespace ui
