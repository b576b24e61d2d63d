#pragma once
// The station finder: searches the community station directory while the listener types,
// lists what it finds best-voted first, plays a station to listen before keeping it, and
// hands the chosen station's address to the favourite editor.

#include "catalogue/DirectorySearch.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace radio {

class StationFinderDlg : public QDialog {
    Q_OBJECT
  public:
    // Plays an address through the radio (empty: the listening ends).
    using Listen = std::function<void(const std::string& address, const std::string& name)>;

    // `base` must have passed the directory's address check.
    StationFinderDlg(const std::string& base, catalogue::DirectorySearch::FetcherFactory fetchers,
                     Listen listen, QWidget* parent = nullptr);
    ~StationFinderDlg() override;

    // After Accepted: the stream address to keep.
    const std::string& ChosenAddress() const { return chosen_; }

    // For tests.
    QLineEdit* NameField() const { return name_; }
    QTreeWidget* Results() const { return results_; }
    QLabel* StatusLabel() const { return status_; }
    QPushButton* ListenButton() const { return listenButton_; }
    QPushButton* UseButton() const { return useButton_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void BuildControls();
    catalogue::directory::SearchQuery Query() const;
    void OnFound(const std::vector<catalogue::directory::Station>& stations);
    void OnFailed(catalogue::SearchFailure failure);
    const catalogue::directory::Station* Selected() const;
    void ListenToSelected();
    void UseSelected();
    void ShowStatus(const char* english);
    void ShowStatus(const std::string& text);

    catalogue::DirectorySearch search_;
    Listen listen_;
    std::vector<catalogue::directory::Station> stations_;
    std::string chosen_;
    bool listening_ = false;
    QLineEdit* name_ = nullptr;
    QLineEdit* tag_ = nullptr;
    QComboBox* country_ = nullptr;
    QTreeWidget* results_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* listenButton_ = nullptr;
    QPushButton* useButton_ = nullptr;
};

// The directory's base address: TUNELINK_DIRECTORY_URL, else the settings' "DirectoryUrl" in
// the station section, else the public directory. Empty when the address found is unusable.
std::string DirectoryBase();

// What the favourite editor's "Find..." button runs: the finder over the editor, giving the
// chosen address or nothing; none without a usable directory (the button is then hidden).
std::function<std::optional<std::string>(QWidget* parent)> FinderForFavorites(
    StationFinderDlg::Listen listen);

}  // namespace radio
