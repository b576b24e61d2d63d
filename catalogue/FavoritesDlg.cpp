#include "catalogue/FavoritesDlg.h"

#include "catalogue/StationData.h"
#include "ui/DialogBuilder.h"
#include "ui/Translator.h"
#include "util/Profile.h"

#include <QLineEdit>

CFavoritesDlg::CFavoritesDlg(QWidget* parent) : QDialog(parent) {
    const ui::DialogItems items = ui::BuildDialog(*this, ui::LoadDialogTemplate(kTemplate));
    field_ = items.ItemAs<QLineEdit>(kAddressField);
    if (!field_)
        field_ = new QLineEdit(this);  // a template without the field still works
    CTranslator().TranslateWindow(this, CTranslator::kStored);
}

int CFavoritesDlg::exec() {
    field_->setText(QString::fromStdString(address));
    return QDialog::exec();
}

void CFavoritesDlg::accept() {
    address = field_->text().toStdString();
    QDialog::accept();
}

bool EditFavorite(CStationData& table, int userSlot, QWidget* parent) {
    if (userSlot < 0 || userSlot > 3)
        return false;
    const int slot = 28 + userSlot;
    CFavoritesDlg dialog(parent);
    dialog.address = table.address[slot];
    if (dialog.exec() != QDialog::Accepted)
        return false;
    table.address[slot] = dialog.address;
    util::TheProfile().WriteText(CStationData::kSection, std::to_string(userSlot), dialog.address);
    return true;
}
