#pragma once
// The small dialog that asks for the stream address of a favourite.

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class QLineEdit;
class QPushButton;

namespace catalogue {
class CStationData;
}

namespace radio {

class CFavoritesDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kTemplate = 612;
    static constexpr int kAddressField = 1024;
    static constexpr int kFindButton = 1025;
    // Opens the station finder over the editor; the chosen address, or nothing.
    using FindStation = std::function<std::optional<std::string>(QWidget* parent)>;

    // Without a finder the find button is hidden.
    explicit CFavoritesDlg(QWidget* parent = nullptr, FindStation find = {});

    // Set before running, read after OK: exactly what was typed, blanks included.
    std::string address;

    int exec() override;
    QLineEdit* AddressField() const { return field_; }
    QPushButton* FindButton() const { return findButton_; }
    // OK: takes the field's text as it stands.
    void accept() override;

  private:
    QLineEdit* field_ = nullptr;
    QPushButton* findButton_ = nullptr;
};

// Edits user slot k (0-3, station slot 28 + k): on OK the typed address goes into the table
// and into the settings as value "k" of the station section. True when confirmed.
bool EditFavorite(catalogue::CStationData& table, int userSlot, QWidget* parent = nullptr,
                  CFavoritesDlg::FindStation find = {});

}  // namespace radio
