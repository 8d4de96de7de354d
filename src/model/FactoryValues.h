#pragma once
// The door phone as it leaves the factory: the codes the field catalogue starts from.

// Factory values of the door phone that the built-in defaults and the code-relay exit
// check use.
namespace Factory {
inline constexpr const char* Password = "1234";           // Edit1
inline constexpr const char* HangUpCode1 = "*1";          // Edit2
inline constexpr const char* HangUpCode2 = "*2";          // Edit3
inline constexpr const char* DayCode = "*3";              // Edit4
inline constexpr const char* NightCode = "*4";            // Edit5
inline constexpr const char* Relay1Code1 = "11";          // Edit8: relay 1, one impulse
inline constexpr const char* Relay1Code2 = "12";          // Edit9: relay 1, two impulses
inline constexpr const char* Relay2Code1 = "21";          // Edit13
inline constexpr const char* Relay2Code2 = "22";          // Edit14
inline constexpr const char* CodeRelay1External = "1000"; // Edit53
inline constexpr const char* CodeRelay1Internal = "1000"; // Edit281
inline constexpr const char* CodeRelay2External = "0100"; // Edit291
inline constexpr const char* CodeRelay2Internal = "0100"; // Edit292
inline constexpr const char* CodeRelayOtherMode = "0010"; // Edit293
} // namespace Factory
