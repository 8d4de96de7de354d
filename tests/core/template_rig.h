#pragma once
// A model template applied without a window: the controls it touches recorded by name,
// the cable it picks a simulated one, the files in a temporary program folder.
#include "Clock.h"
#include "CommLog.h"
#include "DoorPhoneLink.h"
#include "LanguageTexts.h"
#include "ModelTemplate.h"
#include "SettingsModel.h"
#include "SimCableBackend.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringList>
#include <QTemporaryDir>

namespace {
class RecordingTarget : public TemplateTarget {
public:
    void SetVisible(const QString& n, bool v) override { visible[n] = v; }
    void SetEnabled(const QString& n, bool e) override { enabled[n] = e; }
    void SetEmphasis(const QString& n, bool bold, int size) override { emphasis[n] = {bold, size}; }
    void SetTreeEntry(int entry, const QString& text, bool icons) override {
        tree[entry] = {text, icons};
    }
    bool IsEnabled(const QString& n) const override { return enabled.value(n, true); }
    void ShowMessage(const QString& text, const QString&, MsgIcon) override { messages << text; }
    QHash<QString, bool> visible, enabled;
    QStringList messages;
    QHash<QString, std::pair<bool, int>> emphasis;
    QHash<int, std::pair<QString, bool>> tree;
};

struct TemplateRig {
    QTemporaryDir dir;
    VirtualClock clock;
    SimCableBackend backend{clock};
    DoorPhoneLink link{backend, clock};
    CommLog log{&clock};
    LanguageTexts texts;
    SettingsModel model;
    RecordingTarget target;
    ModelState state;
    TemplateContext context{model, link, log, texts, target, dir.path()};

    TemplateRig() { backend.AddBothCables(std::make_shared<ScriptedFarEnd>()); }
    QString Template(const QByteArray& enable) {
        const QString path = dir.filePath("model.ini");
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("[Enable]\r\n" + enable);
        return path;
    }
    QStringList LogLines() {
        log.Close(false);
        QFile f(QDir(dir.path()).filePath("LOG_comm_file.TXT"));
        f.open(QIODevice::ReadOnly);
        QStringList lines = QString::fromLatin1(f.readAll()).split("\r\n");
        return lines.mid(3, lines.size() - 4);
    }
};
} // namespace
