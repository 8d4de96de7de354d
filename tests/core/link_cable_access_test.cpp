// A cable that is listed but will not open: the reason is kept and told with its fix.
#include "CableAccess.h"
#include "DoorPhoneLink.h"
#include "Ports.h"
#include "SerialBackend.h"
#include "test_pty.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A serial backend with one explicit port, listed as the cable the link looks for.
struct Rig {
    RealClock clock;
    SerialBackend backend;
    std::unique_ptr<DoorPhoneLink> link;
    QList<OpenProblem> reported;
    explicit Rig(const QString& port) {
        backend.SetExplicitPort(port, [this] {
            const CableInfo& c = CableFor(link->Kind());
            return std::make_pair(QByteArray(c.description), QByteArray(c.serial));
        });
        link = std::make_unique<DoorPhoneLink>(backend, clock);
        link->onOpenFailed = [this](const OpenProblem& p) { reported << p; };
    }
};
} // namespace

TEST(CableAccess, EveryReasonIsToldWithWhatToDo) {
    Pty pty;
    ASSERT_FALSE(pty.slavePath.isEmpty());
    struct Case {
        OpenFailure reason;
        QStringList says;
    } cases[] = {
        {OpenFailure::Permission,
         {"TROX (" + pty.slavePath + ") is plugged in", "permission denied", "udev rule",
          "60-norvaset.rules"}},
        {OpenFailure::Busy, {"is busy", "another program"}},
        {OpenFailure::Gone, {"was unplugged"}},
        {OpenFailure::Other, {"cannot be opened: it broke."}},
        {OpenFailure::None, {}},
    };
    for (const Case& c : cases) {
        const QString text = OpenProblemText({c.reason, pty.slavePath, "it broke"}, "TROX", false);
        for (const QString& s : c.says) EXPECT_TRUE(text.contains(s)) << text.toStdString();
        EXPECT_EQ(text.isEmpty(), c.says.isEmpty());
    }
    // A port named by hand that is not there.
    EXPECT_EQ(OpenProblemText({OpenFailure::Missing, "/dev/ttyUSB7", {}}, "TROX", false),
              QString("The cable TROX cannot be opened: there is no device /dev/ttyUSB7 (no such "
                      "device). Plug the cable in, or check the name of the port."));
    // The group that owns the node is the other way in.
    const QString group = DeviceGroup(pty.slavePath);
    if (!group.isEmpty() && group != "root") {
        EXPECT_TRUE(OpenProblemText({OpenFailure::Permission, pty.slavePath, {}}, "TROX", false)
                        .contains("group \"" + group + "\""));
    }
}

TEST(CableAccess, AnInstalledRuleIsNotOfferedAgain) {
    const OpenProblem denied{OpenFailure::Permission, "/dev/ttyUSB0", {}};
    const QString without = OpenProblemText(denied, "TROX", false);
    const QString with = OpenProblemText(denied, "TROX", true);
    EXPECT_TRUE(without.contains("Install NorvaSet's udev rule")) << without.toStdString();
    EXPECT_FALSE(with.contains("Install")) << with.toStdString();
    EXPECT_TRUE(with.contains("udev rule is installed: unplug the cable and plug it in again"))
        << with.toStdString();

    // Where udev finds the rule: the first folder with the name decides, and a rule
    // linked to /dev/null (or left empty) is switched off.
    QTemporaryDir dir;
    const QString etc = dir.filePath("etc"), lib = dir.filePath("lib");
    QDir().mkpath(etc);
    QDir().mkpath(lib);
    const auto write = [](const QString& path, const QByteArray& text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    const QStringList folders = {etc, lib, dir.filePath("missing")};
    EXPECT_FALSE(UdevRuleInstalled(folders));
    write(lib + "/60-norvaset.rules", "SUBSYSTEM==\"tty\"\n");
    EXPECT_TRUE(UdevRuleInstalled(folders));
    ASSERT_TRUE(QFile::link("/dev/null", etc + "/60-norvaset.rules"));
    EXPECT_FALSE(UdevRuleInstalled(folders)) << "masked";
    QFile::remove(etc + "/60-norvaset.rules");
    write(etc + "/60-norvaset.rules", "");
    EXPECT_FALSE(UdevRuleInstalled(folders)) << "emptied";
    EXPECT_FALSE(UdevRuleInstalled({}));
}

TEST(CableAccess, TheSerialBackendKeepsWhyAnOpenFailed) {
    Pty pty;
    ASSERT_FALSE(pty.slavePath.isEmpty());

    // A port named by hand is listed whether or not it is there; missing, it says so.
    Rig missing("/dev/norvaset-no-such-cable");
    missing.link->ConnectAttempt();
    EXPECT_FALSE(missing.link->Connected());
    EXPECT_EQ(missing.link->LastOpenProblem().reason, OpenFailure::Missing);
    ASSERT_EQ(missing.reported.size(), 1);
    EXPECT_EQ(missing.reported[0].path, "/dev/norvaset-no-such-cable");

    Rig first(pty.slavePath);
    first.link->ConnectAttempt();
    ASSERT_TRUE(first.link->Connected());
    EXPECT_EQ(first.link->LastOpenProblem().reason, OpenFailure::None);
    // Reopening our own cable while it is open is no problem to tell anyone about.
    first.link->ConnectAttempt();
    EXPECT_TRUE(first.reported.isEmpty());

    // Another user of the same port finds it busy.
    Rig second(pty.slavePath);
    second.link->ConnectAttempt();
    EXPECT_FALSE(second.link->Connected());
    EXPECT_EQ(second.link->LastOpenProblem().reason, OpenFailure::Busy);
    ASSERT_EQ(second.reported.size(), 1);
    EXPECT_EQ(second.reported[0].path, pty.slavePath);

    // Once the first lets go, the second opens and the reason is cleared.
    first.link->CloseLink();
    second.link->ConnectAttempt();
    EXPECT_TRUE(second.link->Connected());
    EXPECT_EQ(second.link->LastOpenProblem().reason, OpenFailure::None);
}

TEST(CableAccess, ANodeThisUserMayNotOpenIsAPermissionProblem) {
    if (::geteuid() == 0) GTEST_SKIP() << "root opens every node";
    Pty pty;
    ASSERT_FALSE(pty.slavePath.isEmpty());
    ASSERT_EQ(::chmod(pty.slavePath.toLocal8Bit().constData(), 0), 0);
    Rig rig(pty.slavePath);
    rig.link->ConnectAttempt();
    EXPECT_FALSE(rig.link->Connected());
    EXPECT_EQ(rig.link->LastOpenProblem().reason, OpenFailure::Permission);
}

// The command line, run as a user who may not open the cable: as this user on a node
// made unreadable, or, when the tests run as root, as "nobody" on a node of root's.
TEST(CableAccess, TheCommandLineSaysPermissionDeniedAndTheFix) {
    Pty pty;
    ASSERT_FALSE(pty.slavePath.isEmpty());
    QTemporaryDir work;
    const QString home = work.filePath("home");
    QDir().mkpath(home);
    QString program = QDir(NORVA_BIN_DIR).filePath("norvaset-cli");
    QStringList args = {"--home", home, "--port", pty.slavePath, "status"};
    if (::geteuid() == 0) {
        const QString setpriv = QStandardPaths::findExecutable("setpriv");
        if (setpriv.isEmpty()) GTEST_SKIP() << "root, and no setpriv to run as another user";
        ::chmod(work.path().toLocal8Bit().constData(), 0755);
        ::chmod(home.toLocal8Bit().constData(), 0777);
        ::chmod(pty.slavePath.toLocal8Bit().constData(), 0600);
        args = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", program} + args;
        program = setpriv;
    } else {
        ASSERT_EQ(::chmod(pty.slavePath.toLocal8Bit().constData(), 0), 0);
    }
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    p.setProcessEnvironment(env);
    p.start(program, args);
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains("permission denied")) << err.toStdString();
    EXPECT_TRUE(err.contains("udev rule")) << err.toStdString();
    EXPECT_EQ(err.count("permission denied"), 1) << "told once";
}
