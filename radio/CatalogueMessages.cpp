#include "radio/CatalogueMessages.h"

#include "catalogue/ActionStationData.h"
#include "ui/Translator.h"
#include "util/MessageBox.h"
#include "util/Product.h"

namespace radio {

void ShowCacheFailure(const util::Error& failure, const std::string& cachePath) {
    if (failure.code == catalogue::kCacheUnreadable) {
        util::ShowMessage(
            {failure.message, "Exception", util::MessageIcon::Warning, util::MessageButtons::Ok});
    } else if (failure.code == catalogue::kCacheNotDeleted) {
        util::ShowMessage(
            {ui::CTranslator::InUiLanguage("File") + " \n\t" + cachePath + "\n\n" +
                 ui::CTranslator::InUiLanguage("can not be read because of the following reason:") +
                 "\n\n\t" + failure.message + ".",
             util::kProductTitle, util::MessageIcon::Stop, util::MessageButtons::Ok});
    }
}

}  // namespace radio
