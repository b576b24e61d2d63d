#include "radio/StationFinderDlg.h"

#include "catalogue/StationData.h"
#include "ui/Translator.h"
#include "util/Profile.h"
#include "util/text/DisplayText.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace radio {

namespace {

namespace directory = catalogue::directory;

QString Text(const char* english) {
    return QString::fromStdString(ui::CTranslator::InUiLanguage(english));
}

// The countries offered as a filter.
constexpr const char* kCountries[] = {"AT", "BE", "CH", "CZ", "DE", "DK", "ES", "FR",
                                      "GB", "HU", "IT", "NL", "PL", "PT", "US"};

QPushButton* PlainButton(const char* english, QWidget* parent) {
    auto* button = new QPushButton(Text(english), parent);
    // Enter belongs to the search field and the list, never to a button.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

}  // namespace

std::string DirectoryBase() {
    const QByteArray fromEnvironment = qgetenv("TUNELINK_DIRECTORY_URL");
    const std::string wanted =
        !fromEnvironment.isEmpty()
            ? fromEnvironment.toStdString()
            : util::TheProfile().GetText(catalogue::CStationData::kSection, "DirectoryUrl",
                                         directory::kDefaultBase);
    util::Result<std::string> base = directory::CheckedBase(wanted);
    return base ? *base : std::string();
}

StationFinderDlg::StationFinderDlg(const std::string& base,
                                   catalogue::DirectorySearch::FetcherFactory fetchers,
                                   Listen listen, QWidget* parent)
    : QDialog(parent), search_(base, fetchers), listen_(std::move(listen)) {
    setWindowTitle(Text("Find a station"));
    BuildControls();
    connect(&search_, &catalogue::DirectorySearch::SearchStarted, this,
            [this] { ShowStatus("Searching..."); });
    connect(&search_, &catalogue::DirectorySearch::Found, this, &StationFinderDlg::OnFound);
    connect(&search_, &catalogue::DirectorySearch::Failed, this, &StationFinderDlg::OnFailed);
}

StationFinderDlg::~StationFinderDlg() {
    if (listening_ && listen_)
        listen_({}, {});
}

void StationFinderDlg::BuildControls() {
    name_ = new QLineEdit(this);
    name_->setMaxLength(static_cast<int>(directory::kMaxFilterChars));
    tag_ = new QLineEdit(this);
    tag_->setMaxLength(static_cast<int>(directory::kMaxFilterChars));
    tag_->setPlaceholderText(Text("e.g. jazz"));
    country_ = new QComboBox(this);
    country_->addItem(Text("All countries"));
    for (const char* code : kCountries) country_->addItem(QString::fromLatin1(code));

    auto* filters = new QFormLayout;
    filters->addRow(Text("Station name:"), name_);
    filters->addRow(Text("Genre or tag:"), tag_);
    filters->addRow(Text("Country:"), country_);

    results_ = new QTreeWidget(this);
    results_->setRootIsDecorated(false);
    results_->setAllColumnsShowFocus(true);
    results_->setHeaderLabels({Text("Station"), Text("Country"), Text("Codec"), Text("Bit rate")});
    results_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    results_->setMinimumSize(460, 220);

    status_ = new QLabel(this);
    status_->setTextFormat(Qt::PlainText);
    listenButton_ = PlainButton("Listen", this);
    useButton_ = PlainButton("Use", this);
    QPushButton* close = PlainButton("Close", this);
    listenButton_->setEnabled(false);
    useButton_->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(listenButton_);
    buttons->addWidget(useButton_);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(results_, 1);
    layout->addLayout(buttons);

    const auto typed = [this] { search_.SearchSoon(Query()); };
    connect(name_, &QLineEdit::textEdited, this, typed);
    connect(tag_, &QLineEdit::textEdited, this, typed);
    connect(country_, &QComboBox::currentIndexChanged, this, typed);
    const auto now = [this] { search_.SearchNow(Query()); };
    connect(name_, &QLineEdit::returnPressed, this, now);
    connect(tag_, &QLineEdit::returnPressed, this, now);
    connect(results_, &QTreeWidget::itemActivated, this, [this] { ListenToSelected(); });
    connect(results_, &QTreeWidget::currentItemChanged, this, [this] {
        listenButton_->setEnabled(Selected() != nullptr);
        useButton_->setEnabled(Selected() != nullptr);
    });
    connect(listenButton_, &QPushButton::clicked, this, &StationFinderDlg::ListenToSelected);
    connect(useButton_, &QPushButton::clicked, this, &StationFinderDlg::UseSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

directory::SearchQuery StationFinderDlg::Query() const {
    directory::SearchQuery query;
    query.name = name_->text().toStdString();
    query.tag = tag_->text().toStdString();
    if (country_->currentIndex() > 0)
        query.countryCode = country_->currentText().toStdString();
    return query;
}

void StationFinderDlg::OnFound(const std::vector<directory::Station>& stations) {
    stations_ = stations;
    results_->clear();
    for (const directory::Station& station : stations_) {
        auto* row = new QTreeWidgetItem(results_);
        row->setText(0, QString::fromStdString(station.name));
        row->setText(1, QString::fromStdString(station.country.empty() ? station.countryCode
                                                                       : station.country));
        row->setText(2, QString::fromStdString(station.codec));
        row->setText(
            3, station.bitrate > 0 ? QString::number(station.bitrate) + " kbit/s" : QString());
        row->setToolTip(0, QString::fromStdString(station.tags));
    }
    if (stations_.empty()) {
        ShowStatus("No station found");
        return;
    }
    results_->setCurrentItem(results_->topLevelItem(0));
    ShowStatus(ui::CTranslator::FillIn(ui::CTranslator::InUiLanguage("%s stations"),
                                       std::to_string(stations_.size())));
}

void StationFinderDlg::OnFailed(catalogue::SearchFailure failure) {
    ShowStatus(failure == catalogue::SearchFailure::Unavailable
                   ? "The station directory cannot be reached"
                   : "The station directory sent an answer that cannot be read");
}

const directory::Station* StationFinderDlg::Selected() const {
    const QTreeWidgetItem* row = results_->currentItem();
    const int index = row ? results_->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(row)) : -1;
    if (index < 0 || static_cast<std::size_t>(index) >= stations_.size())
        return nullptr;
    return &stations_[static_cast<std::size_t>(index)];
}

void StationFinderDlg::ListenToSelected() {
    const directory::Station* station = Selected();
    if (!station || !listen_)
        return;
    const std::string name = station->name;
    search_.Resolve(*station, [this, name](util::Result<std::string> address) {
        if (!address) {
            ShowStatus("The station directory cannot be reached");
            return;
        }
        listening_ = true;
        listen_(*address, name);
        ShowStatus(ui::CTranslator::FillIn(ui::CTranslator::InUiLanguage("Listening to %s"), name));
    });
}

void StationFinderDlg::UseSelected() {
    const directory::Station* station = Selected();
    if (!station)
        return;
    search_.Resolve(*station, [this](util::Result<std::string> address) {
        if (!address) {
            ShowStatus("The station directory cannot be reached");
            return;
        }
        chosen_ = *address;
        accept();
    });
}

void StationFinderDlg::keyPressEvent(QKeyEvent* event) {
    // Enter in the list listens (itemActivated); anywhere else it searches, never closes.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (focusWidget() != results_)
            search_.SearchNow(Query());
        return;
    }
    QDialog::keyPressEvent(event);
}

void StationFinderDlg::ShowStatus(const char* english) {
    status_->setText(Text(english));
}

void StationFinderDlg::ShowStatus(const std::string& text) {
    status_->setText(QString::fromStdString(util::DisplayLine(text)));
}

std::function<std::optional<std::string>(QWidget* parent)> FinderForFavorites(
    StationFinderDlg::Listen listen) {
    if (DirectoryBase().empty())
        return {};
    return [listen = std::move(listen)](QWidget* parent) -> std::optional<std::string> {
        StationFinderDlg finder(DirectoryBase(), catalogue::MakeHttpDirectoryFetcher, listen,
                                parent);
        if (finder.exec() != QDialog::Accepted)
            return std::nullopt;
        return finder.ChosenAddress();
    };
}

}  // namespace radio
