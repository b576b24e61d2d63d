#include "platform/shell/MailClient.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <utility>

namespace platform::shell {

namespace {

constexpr std::size_t kMaxRecipientLength = 320;
// A "mailto:" address carries a whole prepared mail, percent-encoded.
constexpr std::size_t kMaxMailtoLength = 16384;
constexpr qint64 kMaxQueryOutput = 4096;
constexpr int kStartTimeoutMs = 5000;
constexpr int kPollMs = 50;

bool StartsWithMailto(const std::string& text) {
    static constexpr std::string_view kScheme = "mailto:";
    if (text.size() < kScheme.size())
        return false;
    return std::equal(kScheme.begin(), kScheme.end(), text.begin(), [](char a, char b) {
        return a == std::tolower(static_cast<unsigned char>(b));
    });
}

QStringList ToQStringList(const std::vector<std::string>& texts) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& text : texts) list.push_back(QString::fromStdString(text));
    return list;
}

// The helpers talk to nobody on their standard streams; with no pipes a mail client left
// running in a helper's foreground can never be stopped by a full or closed pipe.
void SilenceChannels(QProcess& process) {
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
}

// Percent-encoded addresses only: no blanks or control characters, and no leading "-"
// (guaranteed by the scheme) that the opener could take for an option.
bool IsOpenableMailto(const std::string& url) {
    if (url.size() > kMaxMailtoLength || !StartsWithMailto(url))
        return false;
    return std::none_of(url.begin(), url.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c <= 0x20 || c == 0x7f;
    });
}

// xdg-email's exit codes (1 syntax, 2 missing file, 3 missing tools, 4 action failed,
// 5 no permission) as the nearest Simple MAPI result.
util::Status StatusForExit(int exitCode) {
    const std::string text = "the mail helper exited with " + std::to_string(exitCode);
    switch (exitCode) {
        case 0:
            return {};
        case 1:
            return util::Error{text, mapi::kInvalidMessage};
        case 3:
            return util::Error{text, mapi::kNotSupported};
        case 5:
            return util::Error{text, mapi::kAccessDenied};
        default:
            return util::Error{text, mapi::kFailure};
    }
}

// Ends a helper that outlived its wait. The helper is a shell script that runs the mail
// client as its child (never by exec), so only the script ends; the client stays open.
void EndHelper(QProcess& process) {
    process.kill();
    process.waitForFinished(kStartTimeoutMs);
}

}  // namespace

bool IsSafeRecipient(const std::string& recipient) {
    if (recipient.empty() || recipient.size() > kMaxRecipientLength || recipient.front() == '-')
        return false;
    const bool badByte = std::any_of(recipient.begin(), recipient.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c <= 0x20 || c == 0x7f || ch == '?' || ch == '&';
    });
    return !badByte && !StartsWithMailto(recipient);
}

std::vector<std::string> XdgEmailArguments(const MailRequest& request) {
    std::vector<std::string> args{"--utf8"};
    if (!request.subject.empty()) {
        args.push_back("--subject");
        args.push_back(request.subject);
    }
    if (!request.body.empty()) {
        args.push_back("--body");
        args.push_back(request.body);
    }
    args.insert(args.end(), request.recipients.begin(), request.recipients.end());
    return args;
}

XdgMailClient::XdgMailClient(XdgTimeouts timeouts)
    : timeouts_(timeouts), openers_(std::make_unique<QObject>()) {}

XdgMailClient::~XdgMailClient() {
    // Ends waiting openers without calling back (their callers are going away too).
    for (QProcess* process : openers_->findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        QObject::disconnect(process, nullptr, nullptr, nullptr);
        if (process->state() != QProcess::NotRunning)
            EndHelper(*process);
    }
}

bool XdgMailClient::IsAvailable() {
    if (available_ < 0)
        available_ = QueryAvailable() ? 1 : 0;
    return available_ == 1;
}

bool XdgMailClient::QueryAvailable() const {
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-email")).isEmpty())
        return false;
    const QString mime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (mime.isEmpty())
        return false;
    QProcess query;
    query.setStandardInputFile(QProcess::nullDevice());
    query.setStandardErrorFile(QProcess::nullDevice());
    query.start(mime, {QStringLiteral("query"), QStringLiteral("default"),
                       QStringLiteral("x-scheme-handler/mailto")});
    if (!query.waitForFinished(static_cast<int>(timeouts_.query.count()))) {
        EndHelper(query);
        return false;
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return false;
    return !query.read(kMaxQueryOutput).trimmed().isEmpty();
}

util::Status XdgMailClient::SendMail(const MailRequest& request, const std::atomic<bool>& stop) {
    if (!std::all_of(request.recipients.begin(), request.recipients.end(), IsSafeRecipient))
        return util::Error{"a recipient cannot be passed on safely", mapi::kInvalidRecips};
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (program.isEmpty())
        return util::Error{"the mail helper is not installed", mapi::kNotSupported};

    QProcess process;
    SilenceChannels(process);
    process.start(program, ToQStringList(XdgEmailArguments(request)));
    if (!process.waitForStarted(kStartTimeoutMs))
        return util::Error{"the mail helper did not start", mapi::kFailure};

    QElapsedTimer waited;
    waited.start();
    while (!process.waitForFinished(kPollMs)) {
        if (stop.load()) {
            EndHelper(process);
            return util::Error{"stopped", mapi::kUserAbort};
        }
        if (waited.hasExpired(timeouts_.handOff.count())) {
            EndHelper(process);
            return {};
        }
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return util::Error{"the mail helper crashed", mapi::kFailure};
    return StatusForExit(process.exitCode());
}

void XdgMailClient::OpenAddress(const std::string& url, std::function<void(bool opened)> done) {
    auto report = [this, done](bool opened) {
        QMetaObject::invokeMethod(
            openers_.get(), [done, opened] { done(opened); }, Qt::QueuedConnection);
    };
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!IsOpenableMailto(url) || program.isEmpty()) {
        report(false);
        return;
    }

    auto* process = new QProcess(openers_.get());
    SilenceChannels(*process);
    // Reports once; afterwards the process only cleans up after itself.
    auto finish = [process, done, reported = std::make_shared<bool>(false)](bool opened) {
        if (std::exchange(*reported, true))
            return;
        QObject::disconnect(process, nullptr, nullptr, nullptr);
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        done(opened);
    };
    QObject::connect(process, &QProcess::finished, process,
                     [process, finish](int exitCode, QProcess::ExitStatus status) {
                         finish(status == QProcess::NormalExit && exitCode == 0);
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, finish](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         finish(false);
                         process->deleteLater();
                     });
    // Still running after the grace time: it has started the handler, which now runs in
    // its foreground. Leave it be; it is ended with this object at the latest.
    QTimer::singleShot(timeouts_.opener, process, [finish] { finish(true); });
    process->start(program, {QString::fromStdString(url)});
}

}  // namespace platform::shell
