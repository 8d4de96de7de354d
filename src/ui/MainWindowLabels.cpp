// "Option" > "Print labels" of the main window.

#include "Communicator.h"
#include "DoorPhoneSession.h"
#include "LabelWindows.h"
#include "MainWindow.h"

void TForm1::Printlabels1Click() {
    const QString kind = ModelFeatures().labelKind;
    Communicator& comm = Comm();
    if (kind == QLatin1String("0")) return;
    // Stopping the timers in the middle of a read or write would leave the exchange hanging
    // with the device commands off; the labels wait until it has ended.
    if (comm.TransferActive()) return;
    // No status request may reach the cable while a label window is open.
    comm.StopTimers();
    comm.SetPollingAllowed(false);
    session_->Clock().Sleep(1005);
    ProcessMessages();

    LabelWindowContext context;
    context.dialogs = dialogs_;
    context.texts = &texts_;
    context.programFolder = [this] { return ProgramFolder(); };
    auto centre = [this](QWidget* w) { w->move(geometry().center() - w->rect().center()); };
    if (kind == QLatin1String("4")) {
        if (!form5_) form5_ = new TForm5(context, this);
        form5_->FormShow();
        centre(form5_);
        form5_->exec();
        log_.LogLine(QStringLiteral("Print labels VantDoorPhone"));
    } else {
        if (!form14_) form14_ = new TForm14(context, this);
        centre(form14_);
        form14_->ShowFor(kind);
        log_.LogLine(QStringLiteral("Print labels other"));
    }
    comm.SetPollingAllowed(true);
    comm.StartPollTimer();
}
