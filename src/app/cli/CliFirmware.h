#pragma once
// norvaset-cli firmware IN.hex [--yes] and hex-image IN.hex OUT.bin: the firmware window's
// checks and upgrade engine on the command line.

#include <QString>
#include <functional>

class CliHost;
class ClockPort;
class Communicator;
class DoorPhoneLink;
class LanguageTexts;

struct CliFirmwareContext {
    CliHost& host;
    DoorPhoneLink& link;
    Communicator& comm;
    ClockPort& clock;
    const LanguageTexts& texts;
    QString programFolder;
    QString hexFile;
    bool yes = false;                 // no question on the terminal
    std::function<bool()> connect;    // the cable, as for every command
    std::function<bool()> pollStatus; // one status exchange (sets SendFFlag); true: answered
};

// Exit 0 only when the door phone reported the upgrade complete ("Finish"), 1 for a failed
// upgrade, 2 for a HEX file that is missing or refused.
int RunFirmwareCommand(const CliFirmwareContext& context);
// Writes the blocks a write of hexFile would send, 10 bytes each, block 1 to the end block.
int RunHexImageCommand(CliHost& host, const LanguageTexts& texts, const QString& hexFile,
                       const QString& outFile);
