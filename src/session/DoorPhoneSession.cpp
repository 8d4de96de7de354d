#include "DoorPhoneSession.h"

#include "AppConfig.h"
#include "Communicator.h"
#include "Defaults.h"
#include "DoorPhoneLink.h"
#include "FieldCatalogue.h"
#include "FileAccess.h"
#include "SimCableBackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const QString kEnglishFile = QStringLiteral("English.lng");
} // namespace

DoorPhoneSession::DoorPhoneSession(const SessionOptions& options, HostPort& host,
                                   TemplateTarget& target)
    : options_(options), host_(host), target_(target), folders_(AppFolders::Resolve(options.home)) {
    const bool simulated = options_.cable && options_.backend.simulator;
    if (options_.clock) {
        clock_ = options_.clock;
    } else if (simulated && options_.virtualTimeForSimulator) {
        auto virtualClock = std::make_unique<VirtualClock>();
        virtualClock->SetWallClock(QDateTime::currentDateTime());
        ownClock_ = std::move(virtualClock);
        clock_ = ownClock_.get();
    } else {
        ownClock_ = std::make_unique<RealClock>();
        clock_ = ownClock_.get();
    }
    log_.SetClock(clock_);
    if (options_.cable) {
        backend_ = CreateBackend(options_.backend, *clock_, [this] { return link_->Kind(); });
    } else {
        // A listing without any cable.
        backend_.backend = std::make_unique<SimCableBackend>(*clock_);
    }
    link_ = std::make_unique<DoorPhoneLink>(*backend_.backend, *clock_, &log_);
    comm_ = std::make_unique<Communicator>(*link_, *clock_, host_, log_, texts_, model_);
    comm_->SetAllGoesOnAfterFailure(options_.allGoesOnAfterFailure);
    loop_ = std::make_unique<TimerLoop>(*comm_, *clock_);
}

DoorPhoneSession::~DoorPhoneSession() = default;

QString DoorPhoneSession::ConfigFolder() const {
    return folders_.ConfigFolder();
}

bool DoorPhoneSession::StartUp() {
    startupError_.clear();
    const QString folder = ConfigFolder();

    AppConfig config;
    QString error;
    if (options_.configFile == SessionOptions::ConfigFile::CreateWhenMissing) {
        if (!config.LoadOrCreate(folder, &error) && reportFolderNotWritable)
            reportFolderNotWritable(QLatin1String(AppConfig::kFileName), error);
    } else if (QFile::exists(folder + QLatin1String(AppConfig::kFileName))) {
        config.LoadOrCreate(folder, &error);
    }
    languagePath_ = folders_.Find(config.existed ? config.languageFile : kEnglishFile);
    if (options_.model >= 0)
        startModelIndex_ = options_.model;
    else if (config.existed)
        startModelIndex_ = config.communicator;

    switch (options_.log) {
    case SessionOptions::LogSwitch::FromConfig:
        if (config.existed && config.logFile == 1) OpenLog();
        break;
    case SessionOptions::LogSwitch::On:
        if (!log_.Open(folders_.DataFolder())) {
            startupError_ =
                QStringLiteral("cannot write the communication log in %1: %2")
                    .arg(QDir::toNativeSeparators(folders_.DataFolder()), log_.ErrorString());
            return false;
        }
        break;
    case SessionOptions::LogSwitch::Off: break;
    }

    // A folder shorter than "C:\x.lng" names no language file.
    if (languagePath_.size() > 8) ApplyLanguageFile(languagePath_);
    if (!startupError_.isEmpty()) return false;

    LoadModelDefaults();
    ApplyModelTemplate();
    return true;
}

void DoorPhoneSession::ConnectAndPoll() {
    link_->ConnectAttempt();
    host_.ShowStatus(comm_->Status(), false);
    if (link_->Connected()) comm_->SetPollingAllowed(true);
    comm_->StartUp();
}

void DoorPhoneSession::ApplyLanguageFile(const QString& path) {
    const QString folder = ConfigFolder();
    languagePath_ = path;
    if (options_.missingLanguage == SessionOptions::MissingLanguage::ForgetConfig) {
        // A language file that is gone: forget Config.ini's choice and fall back to English.
        if (!IsRegularFile(languagePath_)) {
            const QString config = folder + QLatin1String(AppConfig::kFileName);
            if (QFileInfo::exists(config)) {
                QFile::remove(config);
                languagePath_ = folders_.Find(kEnglishFile);
                if (!IsRegularFile(languagePath_))
                    host_.ShowMessage(QStringLiteral("Language file error"), QString(),
                                      MsgIcon::None);
            }
        }
        log_.LogLine(QStringLiteral("Language file: ") + languagePath_);
        // A missing file leaves the built-in texts; so does one too large, which is said.
        if (QString error; !texts_.LoadFile(languagePath_, &error) && IsRegularFile(languagePath_))
            host_.ShowMessage(error, QString(), MsgIcon::Error);
    } else {
        log_.LogLine(QStringLiteral("Language file: ") + languagePath_);
        if (!texts_.LoadFile(languagePath_)) texts_.LoadFile(folders_.Find(kEnglishFile));
    }
    if (textsLoaded) textsLoaded();
    if (!RebuildModelList()) return;
    if (options_.templateWithLanguage && (!showModelPicture || showModelPicture()))
        ApplyModelTemplate();
}

bool DoorPhoneSession::RebuildModelList() {
    models_.Build(texts_, [this](const QString& name) { return folders_.Locate(name); });
    if (options_.model >= 0 && !models_.AtPosition(options_.model)) {
        QStringList names;
        const QStringList items = models_.SelectorItems();
        for (int i = 0; i < items.size(); ++i)
            names << QStringLiteral("  %1  %2").arg(i).arg(items[i]);
        startupError_ = QStringLiteral("no model at position %1; the models are:\n%2")
                            .arg(options_.model)
                            .arg(names.join(QLatin1Char('\n')));
        return false;
    }
    FillModelSelector(model_, models_, startModelIndex_, log_);
    return true;
}

void DoorPhoneSession::ModelSelected() {
    log_.LogLine(QStringLiteral("Model of DoorPhone: ") +
                 model_.ChoiceText(QLatin1String(kModelSelectorField)));
    // A picture that cannot be shown ends the change there, as any failed step would.
    if (!showModelPicture || showModelPicture()) ApplyModelTemplate();
}

QString DoorPhoneSession::SelectedTemplate() const {
    return SelectedModelTemplate(model_, models_);
}

void DoorPhoneSession::ApplyModelTemplate() {
    TemplateContext context{model_, *link_, log_, texts_, target_, folders_.ProgramFolder()};
    ::ApplyModelTemplate(SelectedTemplate(), context, modelState_);
}

void DoorPhoneSession::LoadModelDefaults() {
    LoadModelDefaults(SelectedTemplate());
}

void DoorPhoneSession::LoadModelDefaults(const QString& templatePath) {
    try {
        LoadDefaults(model_, templatePath, log_);
    } catch (const ConversionError& e) {
        // The keys read before the bad one keep their effect.
        if (reportDefaultsError)
            reportDefaultsError(templatePath, e.text());
        else
            host_.ShowMessage(e.text(), QString(), MsgIcon::Error);
    }
}

bool DoorPhoneSession::OpenLog() {
    if (log_.Open(folders_.DataFolder())) return true;
    if (reportFolderNotWritable)
        reportFolderNotWritable(QLatin1String(CommLog::kFileName), log_.ErrorString());
    return false;
}
