#include "LanguageTable.h"

#include "LanguageTexts.h"

#include <QHash>

#include <vector>

namespace {

LanguageTarget Cap(const QString& object, const QString& prefix = {}, const QString& suffix = {}) {
    return {object, TextUse::Caption, Composition::Affixed, prefix, suffix, -1};
}
LanguageTarget Hint(const QString& object) {
    return {object, TextUse::Hint, Composition::Affixed, {}, {}, -1};
}
LanguageTarget Memo(const QString& object, Composition join) {
    return {object, TextUse::Text, join, {}, {}, -1};
}
LanguageTarget Store(const QString& prefix = {}, const QString& suffix = {}) {
    return {{}, TextUse::Stored, Composition::Affixed, prefix, suffix, -1};
}
LanguageTarget StoreJoined(Composition join) {
    return {{}, TextUse::Stored, join, {}, {}, -1};
}
LanguageTarget Node(int index, const QString& suffix = {}) {
    return {{}, TextUse::TreeNode, Composition::Affixed, {}, suffix, index};
}
LanguageTarget Picture(const QString& object) {
    return {object, TextUse::Picture, Composition::Affixed, {}, {}, -1};
}
LanguageTarget PageTitle() {
    return {QStringLiteral("Label1"), TextUse::PageTitle, Composition::Affixed, {}, {}, -1};
}
LanguageTarget Row(int button) {
    return {ButtonRowLabel(button), TextUse::Caption, Composition::ButtonRow, {}, {}, button};
}

// Column headings of the ten telephone-number pages; the button row labels are numbered
// around them.
const int kDayHeadings[10] = {125, 137, 149, 161, 173, 185, 197, 219, 231, 243};
const int kNightHeadings[10] = {126, 138, 150, 162, 174, 186, 198, 220, 232, 244};

bool IsHeading(int n) {
    for (int i = 0; i < 10; ++i)
        if (kDayHeadings[i] == n || kNightHeadings[i] == n) return true;
    return false;
}

struct Table {
    std::vector<LanguageEntry> entries;
    std::size_t modelListPosition = 0;
};

Table Build() {
    Table table;
    std::vector<LanguageEntry>& t = table.entries;
    auto add = [&t](const char* section, int key, const char* text, QList<LanguageTarget> targets) {
        t.push_back({section, key, text, std::move(targets)});
    };

    // The About window, the program name and the key program's menu item.
    add("Info", 1, "NorvaSet", {Store({}, "  ")});
    add("Info", 2, "Program for settins paramters in DoorPhone Norva", {Cap("TForm2.Label1")});
    add("Info", 3, "SetNorva - DoorPhone collection", {Cap("TForm2.Label2")});
    add("Info", 4, "Vendrolux s.r.o.", {Cap("TForm2.Label3")});
    add("Info", 5, "Kovářská 17", {Cap("TForm2.Label4")});
    add("Info", 6, "Vendrov", {Cap("TForm2.Label5")});
    add("Info", 7, "123 45", {Cap("TForm2.Label6")});
    add("Info", 8, "info@vendrolux.example", {Cap("TForm2.Label9", "Email: ")});
    add("Info", 9, "Write Email", {Hint("TForm2.Label9")});
    add("Info", 10, "info@vendrolux.example", {Store()});
    add("Info", 11, "Inquiry on setting DoorPhone Norva", {Store()});
    add("Info", 12, "www.vendrolux.example", {Cap("TForm2.Label8", "WEB : ")});
    add("Info", 13, "Version", {Cap("TForm2.Label10", {}, ":")});
    add("Info", 14, "https://www.vendrolux.example", {Store()});
    add("Info", 15, "Connect to the WEB sites", {Hint("TForm2.Label8")});
    add("Info", 16, "Vendrolux.BMP", {Picture("TForm2.Image1")});
    add("Info", 17, "&Kodrix", {Cap("key1")});

    // Menus, clock captions, hints and status-line words.
    add("Menu", 1, "&File", {Cap("File1")});
    add("Menu", 2, "&New", {Cap("New1")});
    add("Menu", 3, "&Open", {Cap("Open1")});
    add("Menu", 4, "&Save", {Cap("Save1")});
    add("Menu", 5, "Save &as ..", {Cap("Saveas1")});
    add("Menu", 6, "&Print", {Cap("Print1")});
    add("Menu", 7, "E&xit", {Cap("Exit1")});
    add("Menu", 8, "&Communicator", {Cap("Communicator1")});
    add("Menu", 9, "Read &parameters", {Cap("Readparameters1")});
    add("Menu", 10, "Read phone &numbers", {Cap("Readphonenumbers1")});
    add("Menu", 11, "Read &all", {Cap("Readall1")});
    add("Menu", 12, "&Write parameters", {Cap("Writeparameters1")});
    add("Menu", 13, "Write p&hone numbers", {Cap("Writephonenumbers1")});
    add("Menu", 14, "Write a&ll", {Cap("Writeall1")});
    add("Menu", 15, "&Option", {Cap("Option1")});
    add("Menu", 16, "&Sample of tones", {Cap("Sampleoftones1")});
    add("Menu", 17, "&Print labels", {Cap("Printlabels1")});
    add("Menu", 18, "&Communication port", {Cap("Communicationport1")});
    add("Menu", 19, "&Firmware upgrade", {Cap("Firmwareupgrade1")});
    add("Menu", 20, "&Language", {Cap("Language1")});
    add("Menu", 21, "&Remote", {Cap("Remotecontrol1")});
    add("Menu", 22, "&Help", {Cap("Help1")});
    add("Menu", 23, "&About ...", {Cap("About1")});
    add("Menu", 24, "Time - Date", {Cap("Label9")});
    add("Menu", 25, "Norva", {Cap("Label2", {}, ":")});
    add("Menu", 26, "PC", {Cap("Label3", {}, ":")});
    add("Menu", 27, "Mode", {Cap("Label60")});
    add("Menu", 28, "File", {Store()});
    add("Menu", 29, "Reset", {Store()});
    add("Menu", 30, "Local", {Store()});
    add("Menu", 31, "Remote", {Store()});
    add("Menu", 32, "&Help", {Cap("Help2"), Cap("Help3"), Cap("Help4")});
    add("Menu", 33, "&Pack Tree", {Cap("Packtree1")});
    add("Menu", 34, "&Unpack Tree", {Cap("Unpacktree1")});
    add("Menu", 35, "&Copy time", {Cap("Copy1")});
    add("Menu", 36, "&Paste", {Cap("Paste1")});
    add("Menu", 37, "Paste &all", {Cap("Pasteall1")});
    add("Menu", 38, "&Delete", {Cap("Delete1")});
    add("Menu", 39, "Delete a&ll", {Cap("Deleteall1")});
    add("Menu", 40, "&Set time from PC", {Cap("SendtimefromPC1")});
    add("Menu", 41, "DAY mode - switch to night mode = click", {Hint("Image2")});
    add("Menu", 42, "NIGHT mode - switch to day mode = click", {Hint("Image1")});
    add("Menu", 43, "Use rihght mouse button for copy and delete", {Hint("GroupBox28")});
    add("Menu", 44, "Use rihght mouse button",
        {Hint("TreeView1"), Hint("Label2"), Hint("Label3"), Hint("Label4"), Hint("Label5")});
    add("Menu", 45, "&LogFile is enable", {Store()});
    add("Menu", 46, "&LogFile is disable", {Store()});
    add("Menu", 47, "Kodrix.exe", {Store()});

    // Navigation tree, by node position.
    add("Tree", 1, "Basic parameters", {Node(1)});
    add("Tree", 2, "Codes", {Node(2)});
    add("Tree", 3, "Keyboard", {Node(3)});
    add("Tree", 4, "Relays", {Node(4)});
    add("Tree", 5, "Relay", {Node(5, " 1"), Node(8, " 2"), Store({}, " 2")});
    add("Tree", 6, "External codes", {Node(6, " 1"), Node(9, " 2"), Store({}, " 2")});
    add("Tree", 7, "Time parameters", {Node(10)});
    add("Tree", 8, "Dial parameters", {Node(11)});
    add("Tree", 9, "HandsFree settings", {Node(12)});
    add("Tree", 10, "Automatic Day-Night", {Node(13)});
    add("Tree", 11, "System parameters", {Node(14)});
    add("Tree", 12, "Telephone numbers", {Node(15)});
    {
        QList<LanguageTarget> pages;
        for (int p = 0; p < 10; ++p) pages << Node(16 + p, ButtonPageRange(p));
        pages << Store();
        add("Tree", 13, "Buttons", pages);
    }
    add("Tree", 14, "DoorPhone select", {Node(0)});
    add("Tree", 15, "Code relay", {Node(7), PageTitle()});

    // Basic parameters.
    add("Page1", 1, "Dial", {Cap("GroupBox1", "41 ")});
    add("Page1", 2, "Tone (DTMF)", {Cap("RadioButton1")});
    add("Page1", 3, "Pulse", {Cap("RadioButton2")});
    add("Page1", 4, "Mode", {Cap("GroupBox2", "47 ")});
    add("Page1", 5, "Two groups of telephone numbers", {Cap("RadioButton3")});
    add("Page1", 6, "Mode Day-Night (switching)", {Cap("RadioButton4")});
    add("Page1", 7, "Prolong conversation", {Cap("GroupBox3", "42 ")});
    add("Page1", 8, "*    - star", {Cap("RadioButton5")});
    add("Page1", 9, "#    - hash", {Cap("RadioButton6")});
    add("Page1", 10, "HangUp line by press button", {Cap("GroupBox4", "4* ")});
    add("Page1", 11, "Disabled by press same button", {Cap("RadioButton7")});
    add("Page1", 12, "Enabled by press same button", {Cap("RadioButton8")});
    add("Page1", 13, "Password", {Cap("GroupBox5", "44 ")});
    add("Page1", 14, "Password for access to programming from a phone", {Cap("Label10", {}, ":")});

    // Codes.
    add("Page2", 1, "Hang up from phone", {Cap("GroupBox6")});
    add("Page2", 2, "Hang up by code from telephone",
        {Cap("Label13", "431 ", ":"), Cap("Label14", "432 ", ":")});
    add("Page2", 3, "Switch Day - Night", {Cap("GroupBox7")});
    add("Page2", 4, "Code for switch to Day from telephone", {Cap("Label15", "45 ", ":")});
    add("Page2", 5, "Code for switch to Night from telephone", {Cap("Label16", "46 ", ":")});

    // Keyboard.
    add("Page3", 1, "Connection Keyboard", {Cap("GroupBox8", "48 ")});
    add("Page3", 2, "No Keyboard connected", {Cap("RadioButton9")});
    add("Page3", 3, "Keyboard on 1st. place", {Cap("RadioButton10")});
    add("Page3", 4, "Keyboard on 2nd. place", {Cap("RadioButton11")});
    add("Page3", 5, "Keyboard on 3th. place", {Cap("RadioButton16")});
    add("Page3", 6, "Keyboard on 4th. place", {Cap("RadioButton12")});
    add("Page3", 7, "Keyboard on 5th. place", {Cap("RadioButton13")});
    add("Page3", 8, "Keyboard on 6th. place", {Cap("RadioButton14")});
    add("Page3", 9, "Keyboard on 7th. place", {Cap("RadioButton15")});
    add("Page3", 10, "Keyboard on 8th. place", {Cap("RadioButton17")});
    add("Page3", 11, "Keyboard mode", {Cap("GroupBox9", "49 ")});
    add("Page3", 12, " Direct dial numbers (like as phone)", {Cap("RadioButton20")});
    add("Page3", 13, "Dial numbers from memory (2 digits)", {Cap("RadioButton21")});
    add("Page3", 14, "Dial DTMF during a call", {Cap("GroupBox10", "40 ")});
    add("Page3", 15, "Disabled", {Cap("RadioButton22")});
    add("Page3", 16, "Button key dial *", {Cap("RadioButton23")});
    add("Page3", 17, "Button key dial #", {Cap("RadioButton24")});
    add("Page3", 18, "Button key dial A", {Cap("RadioButton25")});

    // Relays: the explanation memo and the delay of relay 2.
    const Composition relayMemo = Composition::RelayExplanation;
    add("Page4", 1, "EXPLANATION", {Memo("Memo1", relayMemo)});
    add("Page4", 2, "- Each relay have 8 MODES", {Memo("Memo1", relayMemo)});
    add("Page4", 3, "- INTERNAL code is entered press of buttons on the phone",
        {Memo("Memo1", relayMemo)});
    add("Page4", 4, "- EXTERNAL code is entered press of the first 10 keys from the DoorPhone",
        {Memo("Memo1", relayMemo)});
    add("Page4", 5, "or from connected keyboard after pressing the symbol key",
        {Memo("Memo1", relayMemo)});
    add("Page4", 6, "", {Memo("Memo1", relayMemo)});
    add("Page4", 7,
        "- Possible use activation relays on 1 pulse (normal lock) or 2 pulses (sliding gate)",
        {Memo("Memo1", relayMemo)});
    for (int key = 8; key <= 11; ++key) add("Page4", key, "", {Memo("Memo1", relayMemo)});
    add("Page4", 12, "Delay for activation relay 2 after activation rele 1 (mode = 5)",
        {Cap("Label17", "39 ", ":")});

    // Relay 1 and relay 2; where two targets are named the first is relay 1's.
    add("Page5", 1, "Mode of relay",
        {Cap("GroupBox11", "311 ", " 1"), Cap("GroupBox14", "312 ", " 2")});
    add("Page5", 2, "Electrical lock (pulse switch)", {Cap("RadioButton30"), Cap("RadioButton18")});
    add("Page5", 3, "Line open to line close (camera)",
        {Cap("RadioButton31"), Cap("RadioButton19")});
    add("Page5", 4, "Line open to \"Pulse duration\" after line closed (lighting)",
        {Cap("RadioButton32"), Cap("RadioButton26")});
    add("Page5", 5, "From any button press (external bell)",
        {Cap("RadioButton33"), Cap("RadioButton27")});
    add("Page5", 6, "mode 5 is only in relay 2", {Cap("RadioButton34")});
    add("Page5", 7, "gradual switching - after the relay 1 and delay, switch relay 2 (2 doors)",
        {Cap("RadioButton28")});
    add("Page5", 8, "Switches from the selected button (external bell)",
        {Cap("RadioButton35"), Cap("RadioButton29")});
    add("Page5", 9, "Permanently closes / opens (with external power 12V - DIP3,4)",
        {Cap("RadioButton36"), Cap("RadioButton41")});
    add("Page5", 10, "Switches according to the regime Day / Night (with ext.pwr.12V - DIP3,4)",
        {Cap("RadioButton37"), Cap("RadioButton42")});
    add("Page5", 11, "Number of button",
        {Cap("Label6", "311* ", ":"), Cap("Label7", "312* ", ":")});
    add("Page5", 12, "Internal code (from phone) - 1 impuls",
        {Cap("Label18", "351 ", ":"), Cap("Label8", "352 ", ":")});
    add("Page5", 13, "Internal code (from phone) - 2 impulses",
        {Cap("Label19", "361 ", ":"), Cap("Label12", "362 ", ":")});
    add("Page5", 14, "Pulse duration", {Cap("Label20", "371 ", ":"), Cap("Label22", "372 ", ":")});
    add("Page5", 15, "Time between impulses",
        {Cap("Label21", "301 ", ":"), Cap("Label23", "302 ", ":")});
    add("Page5", 16, "Control relay at incomming call",
        {Cap("CheckBox1", "381 "), Cap("CheckBox2", "382 ")});
    add("Page5", 17, "Exit button", {Cap("GroupBox13", "3*1 "), Cap("GroupBox15", "3*2 ")});
    add("Page5", 18, "None", {Cap("RadioButton38"), Cap("RadioButton43")});
    add("Page5", 19, "1 impuls", {Cap("RadioButton39"), Cap("RadioButton44")});
    add("Page5", 20, "2 impulses", {Cap("RadioButton40"), Cap("RadioButton45")});
    add("Page5", 21, "Use code relay    (lock is activate by serial code)",
        {Cap("CheckBox13", "3#0 ")});
    add("Page5", 22, "Commands for 1 impulse", {Cap("GroupBox31", " ", " ")});
    add("Page5", 23, "Commands for 2 impulses", {Cap("GroupBox32", " ", " ")});
    add("Page5", 24, "Activate from telephone (internal code)",
        {Cap("Label256", "3#2 ", ":"), Cap("Label258", "3#4 ", ":")});
    add("Page5", 25, "Activate from  pushbuttons (external code)",
        {Cap("Label255", "3#1 ", ":"), Cap("Label257", "3#3 ", ":")});
    add("Page5", 26, "Activate from other mode of relay", {Cap("Label259", "3#5 ", ":")});

    // External codes of both relays.
    add("Page6", 1, "Day + Night mode", {Cap("GroupBox18", "321 "), Cap("GroupBox20", "322 ")});
    add("Page6", 2, "1 impuls",
        {Cap("GroupBox173"), Cap("GroupBox175"), Cap("GroupBox171"), Cap("GroupBox201"),
         Cap("GroupBox204"), Cap("GroupBox205")});
    add("Page6", 3, "2 impulses",
        {Cap("GroupBox174"), Cap("GroupBox176"), Cap("GroupBox172"), Cap("GroupBox202"),
         Cap("GroupBox203"), Cap("GroupBox206")});
    add("Page6", 4, "Day mode", {Cap("GroupBox19", "331 "), Cap("GroupBox21", "332 ")});
    add("Page6", 5, "Night mode", {Cap("GroupBox17", "341 "), Cap("GroupBox22", "342 ")});

    // Time parameters.
    add("Page9", 1, "Operation time", {Cap("GroupBox23")});
    add("Page9", 2, "Maximum call duration", {Cap("Label61", "52 ", ":")});
    add("Page9", 3, "Number of rings before doorphone pickup (incomming call)",
        {Cap("Label62", "51 ", ":")});
    add("Page9", 4, "Time between press buttons", {Cap("Label63", "53 ", ":")});
    add("Page9", 5, "Time before dialing number", {Cap("Label64", "55 ", ":")});
    add("Page9", 6, "Hanging up time during redial", {Cap("Label65", "54 ", ":")});
    add("Page9", 7, "Number of rings befor hangup or redial (outgoing call)",
        {Cap("Label66", "56 ", ":")});
    add("Page9", 8, "Tone detector", {Cap("GroupBox24")});
    add("Page9", 9, "Frequency of tone", {Cap("Label67", "500 ", ":")});
    add("Page9", 10, "Number of busy tones", {Cap("Label68", "501 ", ":")});
    add("Page9", 11, "Permanent tone duration", {Cap("Label69", "502 ", ":")});

    // Dial parameters.
    add("Page10", 1, "Dial parameters", {Cap("GroupBox25")});
    add("Page10", 2, "Duration of the DTMF tone", {Cap("Label72", "503 ", ":")});
    add("Page10", 3, "Duration of the DTMF space", {Cap("Label73", "504 ", ":")});
    add("Page10", 4, "Duration of the Flash", {Cap("Label74", "505 ", ":")});
    add("Page10", 5, "Duration of the Pause / intergit space of pulse dial",
        {Cap("Label75", "506 ", ":")});
    add("Page10", 6, "Level of DTMF tone", {Cap("Label83", "507 ", ":")});
    add("Page10", 7, "Preemphase - high/low ratio", {Cap("Label84", "508 ", ":")});
    add("Page10", 8, "Confidence tone level", {Cap("Label85", "509 ", ":")});

    // Hands-free settings.
    add("Page11", 1, "Audio level settings", {Cap("GroupBox26")});
    add("Page11", 2, "Level ratio MIC / SPK (threshold)", {Cap("Label88", "73 ", ":")});
    add("Page11", 3, "TransmitlLevel (microphone volume)", {Cap("Label87", "72 ", ":")});
    add("Page11", 4, "Receive volume (speaker volume)", {Cap("Label86", "71 ", ":")});
    add("Page11", 5, "Level of signalling tone", {Cap("Label89", "70 ", ":")});
    add("Page11", 6, "Audio handsfree circuit settings", {Cap("GroupBox27")});
    add("Page11", 7, "Soft clipping at transmit and receive", {Cap("CheckBox3", "74 ")});
    add("Page11", 8, "Handsfree background noise monitoring", {Cap("CheckBox4", "75 ")});
    add("Page11", 9, "Background noise monitoring ofset", {Cap("Label91", "76 ", ":")});
    add("Page11", 10, "Handsfree voice switching speed", {Cap("Label92", "77 ", ":")});
    add("Page11", 11, "DC-mask (DC characteristic of telephone line)",
        {Cap("Label93", "78 ", ":")});
    add("Page11", 12, "Line loss compenzation", {Cap("Label97", "79 ", ":")});

    // Automatic day / night.
    add("Page12", 1, "Enable automatic switch Day - Night", {Cap("CheckBox5", "084 ")});
    add("Page12", 2, "Set time from PC", {Cap("Button1")});
    add("Page12", 3, "Automatic switch Day - Night", {Cap("GroupBox28")});
    add("Page12", 4, "Starting day", {Cap("Label107")});
    add("Page12", 5, "Starting night", {Cap("Label106")});
    add("Page12", 6, "Sunday", {Cap("Label99", "00 ")});
    add("Page12", 7, "Monday", {Cap("Label100", "01 ")});
    add("Page12", 8, "Tuesday", {Cap("Label101", "02 ")});
    add("Page12", 9, "Wednesday", {Cap("Label102", "03 ")});
    add("Page12", 10, "Thursday", {Cap("Label103", "04 ")});
    add("Page12", 11, "Friday", {Cap("Label104", "05 ")});
    add("Page12", 12, "Saturday", {Cap("Label105", "06 ")});

    // System parameters.
    add("Page13", 1, "Accoustic signalization", {Cap("GroupBox29")});
    add("Page13", 2, "Pickup and hangup line signalization", {Cap("Label122", "62 ", ":")});
    add("Page13", 3, "Close switch signalization (open the door)", {Cap("CheckBox7", "65 ")});
    add("Page13", 4, "Tick to the conversation", {Cap("CheckBox8", "63 ")});
    add("Page13", 5, "Other tones signalization", {Cap("CheckBox9", "61 ")});
    add("Page13", 6, "System settins", {Cap("GroupBox30")});
    add("Page13", 7, "External power supply (DIP 3,4 = on)", {Cap("CheckBox6", "64 ")});
    add("Page13", 8, "Suppression receive DTMF from microphone", {Cap("CheckBox10", "66 ")});
    add("Page13", 9, "Baby call function", {Cap("CheckBox11", "67 ")});
    add("Page13", 10, "Start delay for any PBX (Siemens)", {Cap("CheckBox12", "6* ")});
    add("Page13", 11, "Mute at the lock activate", {Cap("CheckBox14", "68 ")});

    // Model page and telephone-number pages; the model list is read after key 2.
    add("Page14", 1, "Type of DoorPhone (model)", {Cap("Label124", {}, ":")});
    add("Page14", 2, "Number of buttons in the basic module", {Cap("Label123", "6# ", ":")});
    table.modelListPosition = t.size();
    const Composition numbersMemo = Composition::NumbersExplanation;
    add("Page14", 10, "For each button is two telephone numbers.", {Memo("Memo2", numbersMemo)});
    add("Page14", 11, "DoorPhone has two mode of work.", {Memo("Memo2", numbersMemo)});
    add("Page14", 12,
        "If use mode day/night, so one telephone is fore mode day and second telephone number "
        "for mode night.",
        {Memo("Memo2", numbersMemo)});
    add("Page14", 13,
        "If you use mode two groups, so doorphone first used the first telephone number and next "
        "second telephone number",
        {Memo("Memo2", numbersMemo)});
    add("Page14", 14, "", {Memo("Memo2", numbersMemo)});
    add("Page14", 15, "", {Memo("Memo2", numbersMemo)});
    {
        QList<LanguageTarget> day, night, rows;
        for (int p = 0; p < 10; ++p) {
            day << Cap(QStringLiteral("Label%1").arg(kDayHeadings[p]));
            night << Cap(QStringLiteral("Label%1").arg(kNightHeadings[p]));
        }
        for (int b = 1; b <= 99; ++b) rows << Row(b);
        add("Page14", 3, "Day / Group1", day);
        add("Page14", 4, "Night / Group2", night);
        add("Page14", 5, "Button", rows);
    }

    // Button label window, front-panel button dialog and panel label window.
    add("Labels", 1, "Universal labels printer", {Cap("TForm14")});
    add("Labels", 2, "Open", {Cap("TForm14.Button2")});
    add("Labels", 3, "Save", {Cap("TForm14.Button3")});
    add("Labels", 4, "Print", {Cap("TForm14.Button1")});
    add("Labels", 5, "Number of buttons on front panel", {Cap("TForm7")});
    add("Labels", 6, "1 button on front panel", {Cap("TForm7.RadioButton1")});
    add("Labels", 7, "2 buttons on front panel", {Cap("TForm7.RadioButton2")});
    add("Labels", 8, "Select", {Cap("TForm7.Button1")});
    add("Labels", 10, "Print labels", {Cap("TForm5.Button1")});
    add("Labels", 11, "Open", {Cap("TForm5.Button2")});
    add("Labels", 12, "Save", {Cap("TForm5.Button3")});
    add("Labels", 13, "New", {Cap("TForm5.Button9")});
    add("Labels", 14, "Print labels", {Cap("TForm5")});
    add("Labels", 15, "Cancel", {Cap("TForm5.Button4")});
    add("Labels", 16, "Picture BMP max 80x220px",
        {Cap("TForm5.Button5"), Cap("TForm5.Button6"), Cap("TForm5.Button7"),
         Cap("TForm5.Button8")});
    add("Labels", 17, "Size of Labels", {Cap("TForm5.GroupBox1")});
    add("Labels", 18, "File", {Cap("TForm5.GroupBox2")});
    // The panel label window's own reports about pictures (%1 file, %2 x %3 its size).
    add("Labels", 19,
        "The picture %1 is %2 x %3 pixels. A label takes a picture of at most 220 x 80 pixels "
        "(width x height).",
        {Store()});
    add("Labels", 20, "The picture %1 cannot be read as a BMP bitmap.", {Store()});
    add("Labels", 21,
        "These pictures could not be used; their labels were printed without them:", {Store()});
    add("Labels", 22, "The labels could not be printed: the printer or the file refused the job.",
        {Store()});
    // %1 the label file, %2 the characters a field shows.
    add("Labels", 23,
        "Some texts of %1 are longer than the %2 characters a field shows. They are kept whole "
        "and print whole.",
        {Store()});
    add("Labels", 24,
        "Each field is the label of the button with its number. The sheet prints them row by "
        "row, left then right (1, 13, 2, 14, …); an empty field leaves no gap.",
        {Cap("TForm14.Label2")});

    // Firmware window.
    add("Firmware", 1, "Open file", {Cap("TForm4.Button1", {}, " *.HEX")});
    add("Firmware", 2, "Write to DoorPhone Norva", {Cap("TForm4.Button2")});
    add("Firmware", 3, "Cancel", {Cap("TForm4.Button3")});
    add("Firmware", 4, "NorvaSet", {Cap("TForm4.Label3")});
    add("Firmware", 5, "Tool for firmware upgrade", {Cap("TForm4")});
    add("Firmware", 6, "Error", {Store()});
    // Why a HEX file is refused, and a write without a door phone.
    add("Firmware", 7, "Line", {Store()});
    add("Firmware", 8, "not a HEX record (\":\" followed by hexadecimal digits)", {Store()});
    add("Firmware", 9, "the length of the record does not agree with its byte count", {Store()});
    add("Firmware", 10, "wrong checksum", {Store()});
    add("Firmware", 11, "unknown record type", {Store()});
    add("Firmware", 12, "data at an odd address", {Store()});
    add("Firmware", 13, "an odd number of data bytes", {Store()});
    add("Firmware", 14, "more than 16 data bytes in one record", {Store()});
    add("Firmware", 15, "a record after the end-of-file record", {Store()});
    add("Firmware", 16, "the file has no end-of-file record (incomplete file?)", {Store()});
    add("Firmware", 17, "data past the end of the program memory", {Store()});
    add("Firmware", 20, "the file cannot be read", {Store()});
    add("Firmware", 21,
        "NORVA DoorPhone is not connected. Connect it and open the firmware upgrade again.",
        {Store()});
    add("Firmware", 22, "The firmware log LOG_FW_file.TXT could not be written", {Store()});
    add("Firmware", 23, "a program word is given a second time with another value", {Store()});
    add("Firmware", 24, "the file holds no program (no data from address 0008 to 3BFF)", {Store()});

    // Messages and dialog texts, all held for the operations that show them.
    add("Message", 1, "Open file with DoorPhone settings", {Store()});
    add("Message", 2, " NorvaSet - DoorPhone", {Store()});
    add("Message", 3, "File not selected", {Store()});
    add("Message", 4, "File not for NorvaSet", {Store()});
    add("Message", 5, "Save file with NorvaSet settings", {Store()});
    add("Message", 6, "Replace file ?", {Store()});
    add("Message", 7, "File is exists", {Store()});
    add("Message", 8, "Error in communication of phone numbers", {Store()});
    add("Message", 9, "Communication error - Norva DoorPhone is not connect", {Store()});
    add("Message", 10, "Replace setting with this time", {Store()});
    add("Message", 11, "Day", {Store()});
    add("Message", 12, "Night", {Store()});
    add("Message", 13, "Replace?", {Store()});
    add("Message", 14, "Delete all time settings to the zero?", {Store()});
    add("Message", 15, "Delete time setting", {Store()});
    add("Message", 16, "Code must be long 2 digit or blank", {Store()});
    add("Message", 17, "Input format", {Store()});
    add("Message", 18, "Password must be long 4 digit", {Store()});
    add("Message", 19, "Password", {Store()});
    add("Message", 20,
        "The code must not contain a one digit, the minimum digits is 2, maximum 6 digits, reset "
        "the code is blank",
        {Store()});
    add("Message", 21, "Nebyl vybrán žádný soubor", {Store()});
    add("Message", 22, "Selected file is not settings for DoorPhone Norva", {Store()});
    add("Message", 23, "NorvaSet print", {Store()});
    add("Message", 24, "Norva Set", {Store(" ")});
    add("Message", 25, "HEX file for NORVA firmware", {Store()});
    add("Message", 26, "File with programm", {Store()});
    add("Message", 27, "Error file", {Store()});
    add("Message", 28, "Download firmware to NORVA DoorPhone is successfully complete", {Store()});
    add("Message", 29, "DoorPhone NORVA", {Store()});
    add("Message", 30, "Error TIMEOUT", {Store()});
    add("Message", 31, "NORVA DoorPhone", {Store()});
    add("Message", 32, "Upgrade time is cca 10minutes.", {Store()});
    add("Message", 33,
        "Whole time upgrade you mustn't interrupt connection between PC and NORVA DoorPhone.",
        {Store()});
    add("Message", 34, "Attention, you mustn't interrupt power supply (disconnect from the line).",
        {Store()});
    add("Message", 35, "Are you sure upgrade new firmware into NORVA DoorPhone ?", {Store()});
    add("Message", 36, "Send", {Store()});
    add("Message", 37, "Receive", {Store()});
    add("Message", 38,
        "NORVA DoorPhone you must disconned from line and close the PC program up to 1 min",
        {Store()});
    add("Message", 39,
        "next, run the PC program,connect to the line and try again (maybe you try reconnect "
        "the USB)",
        {Store()});
    add("Message", 40, "Open - file with labels", {Store()});
    add("Message", 41, "Files with labels for Norva", {Store()});
    add("Message", 42, "All files", {Store()});
    add("Message", 43, "Save - file with labels", {Store()});
    add("Message", 44, "Want you save the data with the settings?", {Store()});
    add("Message", 45, "Save file", {Store()});
    add("Message", 48, "Selected file isn't file for labels Norva collection", {Store()});
    add("Message", 49, "Error in data reading - EEPROM", {Store()});
    add("Message", 50, "default data", {Store("      - ", " -")});
    add("Message", 51, "Error in data reading - length of data", {Store()});
    add("Message", 52, "not reading any data", {Store("      - ", " -")});
    add("Message", 53, "Error in communication", {Store()});
    add("Message", 54, "Unable to play audio files, sound card does not installed", {Store()});
    add("Message", 55, "Attention to the setting of this parameter affects numbering buttons!",
        {Store(), Hint("Label123"), Hint("Edit91")});
    add("Message", 56, "1 button = Big label - contain 4 rows", {Store()});
    add("Message", 57, "2 buttons = two labels", {Store()});
    add("Message", 58, "No file with template", {Store()});
    add("Message", 59, "Are you sure, that number of buttons on basic modul is OK", {Store()});
    add("Message", 60, "Atention!!!", {Store()});
    add("Message", 61, "In this type of DorrPhone is not possible use 3 buttons",
        {StoreJoined(Composition::TwoLines)});
    add("Message", 62, "only 1 or 2 or 4 buttons", {StoreJoined(Composition::TwoLines)});

    // Help window text: the four texts run on without a separator, so each carries the
    // blank that joins it to the next.
    const Composition help = Composition::HelpText;
    add("Help", 1, "Control program using the right mouse button. ", {Memo("TForm3.Memo1", help)});
    add("Help", 2, "In a field such as time, treewiev settings, ", {Memo("TForm3.Memo1", help)});
    add("Help", 3,
        "and automatic day / night mode features can be used in the hidden menu, right-mouse "
        "button.",
        {Memo("TForm3.Memo1", help)});
    add("Help", 4, "", {Memo("TForm3.Memo1", help)});

    // Tone samples window.
    add("Audio", 1, "Pickup line typ 1", {Cap("TForm6.Button1")});
    add("Audio", 2, "Pickup line typ 2", {Cap("TForm6.Button2")});
    add("Audio", 3, "Hangup line typ 1", {Cap("TForm6.Button7")});
    add("Audio", 4, "Hangup line typ 2", {Cap("TForm6.Button8")});
    add("Audio", 5, "Confirm tone", {Cap("TForm6.Button3")});
    add("Audio", 6, "Error tone", {Cap("TForm6.Button9")});
    add("Audio", 7, "Tick to the conversation", {Cap("TForm6.Button4")});
    add("Audio", 8, "Enter to programming", {Cap("TForm6.Button10")});
    add("Audio", 9, "Signalling close relay", {Cap("TForm6.Button5")});
    add("Audio", 10, "Programming tone", {Cap("TForm6.Button11")});
    add("Audio", 11, "Start after reset", {Cap("TForm6.Button6")});
    add("Audio", 12, "Empty memory", {Cap("TForm6.Button12")});
    add("Audio", 13, "Cancel", {Cap("TForm6.Button13")});
    add("Audio", 14, "Samples of audio signals", {Cap("TForm6")});
    add("Audio", 15, "End of conversation", {Cap("TForm6.Button14")});

    // Backups, verify after write and the comparison of settings.
    add("Backup", 1, "&Compare with file…", {Cap("Comparewithfile1")});
    add("Backup", 2, "&Verify after write", {Cap("Verifyafterwrite1")});
    add("Backup", 3, "&Backup before write", {Cap("Backupbeforewrite1")});
    add("Backup", 4, "&Open backups folder", {Cap("Openbackupsfolder1")});
    add("Backup", 5, "Page", {Store()});
    add("Backup", 6, "Setting", {Store()});
    add("Backup", 7, "In the window", {Store()});
    add("Backup", 8, "In the file", {Store()});
    add("Backup", 9, "The settings are the same", {Store()});
    add("Backup", 10, "on", {Store()});
    add("Backup", 11, "off", {Store()});
    add("Backup", 12, "(empty)", {Store()});
    add("Backup", 13, "Byte", {Store()});
    add("Backup", 14, "Reading the door phone for a backup before writing", {Store()});
    add("Backup", 15, "Backup saved", {Store()});
    add("Backup", 16, "The backup could not be saved, so nothing was written", {Store()});
    add("Backup", 17, "Reading back what was written", {Store()});
    add("Backup", 18, "The door phone does not hold what was written", {Store()});
    add("Backup", 19, "Write verified", {Store()});
    add("Backup", 20, "The backups folder cannot be opened", {Store()});
    add("Backup", 21, "Compare with file", {Store()});
    add("Backup", 22, "In the door phone", {Store()});
    add("Backup", 23, "The door phone could not be read back: the write is not verified",
        {Store()});
    add("Backup", 24, "Writing to the door phone", {Store()});
    add("Backup", 25, "Reading the door phone", {Store()});
    add("Backup", 26, "Read from the door phone", {Store()});
    add("Backup", 27, "Written to the door phone (not read back)", {Store()});
    add("Backup", 28,
        "The write did not finish: the door phone may now hold a mix of old and "
        "new settings.",
        {Store()});
    add("Backup", 29, "Its settings from before the write are in the backup %1", {Store()});
    add("Backup", 30, "Write again?", {Store()});
    add("Backup", 31, "The door phone's clock is set", {Store()});
    add("Backup", 32, "Printed", {Store()});

    // Files that cannot be read or written (%1 the file, %2 the system's reason).
    add("Files", 1, "File not found: %1", {Store()});
    add("Files", 2, "Not a regular file: %1", {Store()});
    add("Files", 3, "Is a folder, not a file: %1", {Store()});
    add("Files", 4, "%1 cannot be read: %2", {Store()});
    add("Files", 5, "%1 cannot be written: %2", {Store()});

    // The main window's own texts.
    add("Window", 1,
        "The door phone is being read or written. Close NorvaSet when the transfer has ended.",
        {Store()});
    add("Window", 2, "The cable was disconnected", {Store()});

    return table;
}

const Table& TheTable() {
    static const Table table = Build();
    return table;
}

QString Key(const QString& section, int key) {
    return section.toLower() + QLatin1Char('/') + QString::number(key);
}

const QHash<QString, std::size_t>& Index() {
    static const QHash<QString, std::size_t> index = [] {
        QHash<QString, std::size_t> h;
        const auto& entries = TheTable().entries;
        for (std::size_t i = 0; i < entries.size(); ++i)
            h.insert(Key(QLatin1String(entries[i].section), entries[i].key), i);
        return h;
    }();
    return index;
}

QString Entry(const LanguageTexts& texts, const char* section, int key) {
    return texts.Text(QLatin1String(section), key);
}

// The memo line breaks are '\n': the memo widgets split paragraphs on it, and a carriage
// return of its own would add an empty paragraph.
QString RelayExplanation(const LanguageTexts& texts) {
    auto e = [&texts](int key) { return Entry(texts, "Page4", key); };
    const QString indent = QStringLiteral("\n   ");
    QString out = e(1) + QLatin1String("\n\n") + e(2) + QLatin1String("\n\n") + e(3) +
                  QLatin1String("\n\n") + e(4) + indent + e(5) + indent + e(6) + QLatin1Char('\n') +
                  e(7);
    for (int key = 8; key <= 11; ++key) out += indent + e(key);
    return out;
}

QString NumbersExplanation(const LanguageTexts& texts) {
    QString out;
    for (int key = 10; key <= 14; ++key) out += Entry(texts, "Page14", key) + QLatin1String("\n\n");
    return out + Entry(texts, "Page14", 15);
}

QString Joined(Composition join, const LanguageTexts& texts) {
    switch (join) {
    case Composition::RelayExplanation: return RelayExplanation(texts);
    case Composition::NumbersExplanation: return NumbersExplanation(texts);
    case Composition::TwoLines:
        return Entry(texts, "Message", 61) + QLatin1Char('\n') + Entry(texts, "Message", 62);
    case Composition::HelpText: {
        QString out;
        for (int key = 1; key <= 4; ++key) out += Entry(texts, "Help", key);
        return out;
    }
    case Composition::Affixed:
    case Composition::ButtonRow: break;
    }
    return QString();
}

} // namespace

std::span<const LanguageEntry> LanguageTable() {
    return TheTable().entries;
}

std::size_t ModelListPosition() {
    return TheTable().modelListPosition;
}

QList<QString> LanguageSections() {
    QList<QString> sections;
    for (const LanguageEntry& e : LanguageTable()) {
        const QString s = QLatin1String(e.section);
        if (sections.isEmpty() || sections.last() != s) sections << s;
    }
    return sections;
}

const LanguageEntry* FindLanguageEntry(const QString& section, int key) {
    const auto it = Index().constFind(Key(section, key));
    return it == Index().constEnd() ? nullptr : &TheTable().entries[*it];
}

QString ComposeText(const LanguageEntry& entry, const LanguageTarget& target,
                    const LanguageTexts& texts) {
    switch (target.composition) {
    case Composition::Affixed:
        if (target.use == TextUse::PageTitle) return QString();
        return target.prefix + Entry(texts, entry.section, entry.key) + target.suffix;
    case Composition::ButtonRow:
        return Entry(texts, entry.section, entry.key) +
               QString::number(target.index).rightJustified(3, QLatin1Char(' '));
    default: return Joined(target.composition, texts);
    }
}

QString StoredText(const LanguageTexts& texts, const QString& section, int key) {
    if (const LanguageEntry* entry = FindLanguageEntry(section, key))
        for (const LanguageTarget& target : entry->targets)
            if (target.use == TextUse::Stored) return ComposeText(*entry, target, texts);
    return texts.Text(section, key);
}

QString ButtonRowLabel(int button) {
    if (button < 1 || button > 99) return QString();
    int n = 126;
    for (int b = 0; b < button; ++b) do
            ++n;
        while (IsHeading(n));
    return QStringLiteral("Label%1").arg(n);
}

QString ButtonPageRange(int page) {
    if (page < 0 || page > 9) return QString();
    if (page == 0) return QStringLiteral("  1-10");
    const int first = page * 10 + 1;
    const int last = page == 9 ? 99 : first + 9;
    return QStringLiteral(" %1-%2").arg(first).arg(last);
}

std::span<const ShippedModel> ShippedModels() {
    static const ShippedModel kModels[] = {
        {"Vant Norva low cost", "norva_lowcost.jpg", "norva_lowcost.ini"},
        {"Norva 2 Keypad", "norva_2k.jpg", "norva_2k.ini"},
        {"Vant Norva 4", "vant_norva4.jpg", "vant_norva4.ini"},
        {"Norva 10", "norva_10.jpg", "norva_10.ini"},
        {"Norva 99", "norva_99.jpg", "norva_99.ini"},
    };
    return kModels;
}

QList<QString> ModelListSections() {
    return {QStringLiteral("Model"), QStringLiteral("Picture"), QStringLiteral("Template")};
}

namespace {

// A value as the INI reader gives it back: blanks at either end, or a value that is itself
// quoted, are kept by quoting.
QString LngValue(const QString& text) {
    const bool quote = text != text.trimmed() ||
                       (text.size() >= 2 && text.front() == text.back() &&
                        (text.front() == QLatin1Char('"') || text.front() == QLatin1Char('\'')));
    return quote ? QLatin1Char('"') + text + QLatin1Char('"') : text;
}

} // namespace

QString EnglishLanguageFileText() {
    QString out = QStringLiteral("; English texts of NorvaSet, and the list of door-phone "
                                 "models\n");
    const QList<QString> listSections = ModelListSections();
    const auto models = ShippedModels();
    QString section;
    for (const LanguageEntry& e : LanguageTable()) {
        if (section != QLatin1String(e.section)) {
            // The model list follows the telephone-number page's texts.
            if (section == QLatin1String("Page14")) {
                for (int s = 0; s < listSections.size(); ++s) {
                    out += QStringLiteral("\n[%1]\n").arg(listSections[s]);
                    for (std::size_t n = 0; n < models.size(); ++n) {
                        const char* value = s == 0   ? models[n].name
                                            : s == 1 ? models[n].picture
                                                     : models[n].templateFile;
                        out += QStringLiteral("%1=%2\n").arg(n).arg(QString::fromUtf8(value));
                    }
                }
            }
            section = QLatin1String(e.section);
            out += QStringLiteral("\n[%1]\n").arg(section);
        }
        out += QStringLiteral("%1=%2\n").arg(e.key).arg(LngValue(QString::fromUtf8(e.builtIn)));
    }
    return out;
}
