#include "radio/FavoritesDlg.h"

#include "catalogue/StationData.h"
#include "radio/core/Slot.h"
#include "ui/DialogBuilder.h"
#include "ui/Translator.h"
#include "util/Profile.h"

#include <QLineEdit>
#include <QPushButton>

namespace radio {

CFavoritesDlg::CFavoritesDlg(QWidget* parent, FindStation find) : QDialog(parent) {
    const ui::DialogItems items = ui::BuildDialog(*this, ui::LoadDialogTemplate(kTemplate));
    field_ = items.ItemAs<QLineEdit>(kAddressField);
    if (!field_)
        field_ = new QLineEdit(this);  // a template without the field still works
    findButton_ = items.ItemAs<QPushButton>(kFindButton);
    if (findButton_ && !find)
        findButton_->hide();
    if (findButton_ && find) {
        findButton_->setAutoDefault(false);
        connect(findButton_, &QPushButton::clicked, this, [this, find = std::move(find)] {
            if (std::optional<std::string> chosen = find(this))
                field_->setText(QString::fromStdString(*chosen));
        });
    }
    ui::CTranslator().TranslateWindow(this, ui::CTranslator::kStored);
}

int CFavoritesDlg::exec() {
    field_->setText(QString::fromStdString(address));
    return QDialog::exec();
}

void CFavoritesDlg::accept() {
    address = field_->text().toStdString();
    QDialog::accept();
}

bool EditFavorite(catalogue::CStationData& table, int userSlot, QWidget* parent,
                  CFavoritesDlg::FindStation find) {
    const Slot slot = Slot::OfUserSlot(userSlot);
    if (userSlot < 0 || !Slot::IsValid(slot.Index()))
        return false;
    CFavoritesDlg dialog(parent, std::move(find));
    dialog.address = table.address[slot.At()];
    if (dialog.exec() != QDialog::Accepted)
        return false;
    table.address[slot.At()] = dialog.address;
    util::TheProfile().WriteText(catalogue::CStationData::kSection, std::to_string(userSlot),
                                 dialog.address);
    return true;
}

}  // namespace radio
