// The built-in English keys: what a language file must translate and what the English table holds.
// The order is fixed; a language file is checked key by key in this order.
#include "common/lang_table.h"

#include <algorithm>
#include <array>

namespace r4860 {
namespace {

constexpr std::array<std::string_view, 239> kKeys = {
    "R4860 Transmitters",  // 1
    "language",  // 2
    "R4860EN",  // 3
    "Thermocouple",  // 4
    "CJ temp.",  // 5
    "Information complete",  // 6
    "Information incomplete",  // 7
    "No_name",  // 8
    "Transmission unsuccessful",  // 9
    "No communication with transducer",  // 10
    "Reading data...",  // 11
    "Transducer programmed",  // 12
    "Information transferred",  // 13
    "Writing data...",  // 14
    "Turn Autoread off",  // 15
    "Verifying...",  // 16
    "Verification successful",  // 17
    "Errors have been found!",  // 18
    "Verification ended with errors",  // 19
    "Wrong format",  // 20
    "Cancel",  // 21
    "Options",  // 22
    "Input range too small!",  // 23
    "Minimum out of range!",  // 24
    "Unspecified type",  // 25
    "Maximum out of range!",  // 26
    "No parameters",  // 27
    "not implemented yet",  // 28
    "Transducer has to be connected!",  // 29
    "Out of range!",  // 30
    "Type of transducer inconsistency",  // 31
    "New data will be read",  // 32
    "Disconnect the transducer",  // 33
    "and press",  // 34
    "to preserve present configuration",  // 35
    "Parameters  of",  // 36
    "User ID Tag",  // 37
    "ID Tag",  // 38
    "Configuration date",  // 39
    "Serial number",  // 40
    "User info",  // 41
    "Thermocouple type",  // 42
    "Sensor",  // 43
    "external CJ",  // 44
    "Input range",  // 45
    "Output range",  // 46
    "below 4mA",  // 47
    "above 20mA",  // 48
    "Internal failure sygnalization",  // 49
    "Output reaction to sensor burnout",  // 50
    "Output locked",  // 51
    "Corrections",  // 52
    "Zero",  // 53
    "Gain",  // 54
    "Filter settings",  // 55
    "Input filter",  // 56
    "Filtration range",  // 57
    "Time constant",  // 58
    "Net filter",  // 59
    "Frequency",  // 60
    "Printed",  // 61
    "Printing",  // 62
    "Command failed",  // 63
    "Password",  // 64
    "Communicating with transducer",  // 65
    "Please wait",  // 66
    "COM%d initialization failed",  // 67
    "2-wire",  // 68
    "3-wire",  // 69
    "4-wire",  // 70
    "differential",  // 71
    "no CJC",  // 72
    "CJC",  // 73
    "linearization",  // 74
    "to",  // 75
    "file is invalid",  // 76
    "Broken sensor",  // 77
    "EEPROM error",  // 78
    "Parameters files",  // 79
    "Data files",  // 80
    "All files",  // 81
    "Cannot open file",  // 82
    "none",  // 83
    "has to be higher than",  // 84
    "&File",  // 85
    "&New",  // 86
    "&Open",  // 87
    "&Save",  // 88
    "Save as",  // 89
    "&Keep results",  // 90
    "&Stop saving",  // 91
    "&Print",  // 92
    "&Help",  // 93
    "P&rint setup",  // 94
    "E&xit",  // 95
    "&Configuration",  // 96
    "&Setup",  // 97
    "R&efresh",  // 98
    "&Read",  // 99
    "&Write",  // 100
    "&Verify",  // 101
    "Se&nsors",  // 102
    "&Reset",  // 103
    "&Corrections",  // 104
    "&Lock Iout",  // 105
    "&View",  // 106
    "&Toolbar",  // 107
    "S&tatus",  // 108
    "&Diagram",  // 109
    "&Monitor only",  // 110
    "&Options",  // 111
    "&General",  // 112
    "&Communication",  // 113
    "&Automatic read",  // 114
    "&Info",  // 115
    "&Version",  // 116
    "Device",  // 117
    "Sensor type",  // 118
    "Input",  // 119
    "Select",  // 120
    "Parameters",  // 121
    "Eng. units",  // 122
    "Minimum",  // 123
    "Maximum",  // 124
    "Signal filter",  // 125
    "Range",  // 126
    "Spurious error threshold",  // 127
    "Set spurious error threshold",  // 128
    "Time",  // 129
    "Net filter freq.",  // 130
    "User corrections",  // 131
    "Info",  // 132
    "Other",  // 133
    "Serial No",  // 134
    "Last config. date",  // 135
    "Result",  // 136
    "Output",  // 137
    "New",  // 138
    "Open",  // 139
    "Save",  // 140
    "Print",  // 141
    "Start",  // 142
    "Stop",  // 143
    "Clear",  // 144
    "Internal error",  // 145
    "new average",  // 146
    "spurious error",  // 147
    "Stop scaling",  // 148
    "Clear diagram",  // 149
    "Show diagram",  // 150
    "Double-click to stop saving data",  // 151
    "Filter limits",  // 152
    "Interval",  // 153
    "Preset plotting time interval",  // 154
    "Read settings",  // 155
    "Write settings",  // 156
    "Communication",  // 157
    "Input corrections",  // 158
    "Select sensor",  // 159
    "Enter the minimum value",  // 160
    "Enter the maximum value",  // 161
    "Set filtration range",  // 162
    "Set time constant",  // 163
    "Optimal",  // 164
    "Optimal settings",  // 165
    "no noise",  // 166
    "Choose expected reaction",  // 167
    "Choose net frequency",  // 168
    "Write down ID tag",  // 169
    "Show filter limits",  // 170
    "Write down any information",  // 171
    "source file",  // 172
    "Read source file",  // 173
    "Transfer function",  // 174
    "is not monotonic",  // 175
    "Switching the serial port",  // 176
    "Serial port",  // 177
    "Force highest priority",  // 178
    "Use when other processes disturb communication",  // 179
    "Simulation",  // 180
    "Reset",  // 181
    "Write",  // 182
    "Set",  // 183
    "Exit",  // 184
    "Set all to zero",  // 185
    "Int. temp.",  // 186
    "Set corrections to zero",  // 187
    "Simulate corrections",  // 188
    "Correct Zero",  // 189
    "Correct Gain",  // 190
    "Write to nonvolatile memory",  // 191
    "Reset transducer",  // 192
    "Set the output current",  // 193
    "Determine output current value",  // 194
    "Click to switch between small and large dots",  // 195
    "Set the external cold junction temperature",  // 196
    "Sensor selection",  // 197
    "Input signal",  // 198
    "RTD",  // 199
    "Thermocouples",  // 200
    "Resistance",  // 201
    "Voltage",  // 202
    "Current",  // 203
    "single",  // 204
    "double",  // 205
    "More",  // 206
    "Maximum range",  // 207
    "Result1",  // 208
    "Type",  // 209
    "Connection",  // 210
    "Mode",  // 211
    "temperature difference",  // 212
    "cold junction compensation",  // 213
    "result conversion",  // 214
    "result converted",  // 215
    "conversion",  // 216
    "linear",  // 217
    "power series",  // 218
    "table defined",  // 219
    "Other1",  // 220
    "Tables",  // 221
    "Message",  // 222
    "New1",  // 223
    "Old",  // 224
    "Wrong",  // 225
    "Table",  // 226
    "Response",  // 227
    "Example",  // 228
    "Corrupted or wrong data file",  // 229
    "User defined sensor or conversion",  // 230
    "No data available",  // 231
    "Values should rise",  // 232
    "1st column values should rise or fall",  // 233
    "Value out of range",  // 234
    "Not enough points",  // 235
    "Power series calculation error",  // 236
    "Range too small",  // 237
    "Check",  // 238
    "Select type of transducer",  // 239
};
static_assert(kKeys.size() == kLangKeyCount, "a language file is validated against exactly these keys");
// An initializer missing from the list would silently become an empty key at the end.
static_assert(std::ranges::none_of(kKeys, [](std::string_view key) { return key.empty(); }),
              "every key has a text");

// Texts of the tool's own, beyond what the design translates. A language file may translate
// them after the keys above; one that does not still loads, and these then read in English.
// Append only: the windows and the manual name them.
constexpr std::array kToolKeys = {
    std::string_view{"Print preview"},
    std::string_view{"The transducer is still in service mode"},
    std::string_view{"Leave service mode"},
    std::string_view{"The transducer did not leave service mode"},
    // The programming history's operations and outcomes.
    std::string_view{"Reading"},
    std::string_view{"Writing"},
    std::string_view{"ID tag writing"},
    std::string_view{"Verification"},
    std::string_view{"Restore"},
    std::string_view{"Success"},
    std::string_view{"Failure"},
    std::string_view{"Differences"},
    std::string_view{"Export PDF"},
    std::string_view{"PDF files"},
    std::string_view{"No printer is installed"},
    std::string_view{"Export the report as a PDF file instead?"},
    std::string_view{"Conversion coefficients"},
    std::string_view{"Calibration date"},
    std::string_view{"Code version"},
    std::string_view{"Checksums"},
    std::string_view{"Other bytes"},
    std::string_view{"The transducer's configuration date %1 differs from %2 (not compared: a write stamps it)"},
    std::string_view{"no device is known by this number"},
    std::string_view{"the device does not exist; is the adapter plugged in?"},
    std::string_view{"this user may not open it; members of the group %1 may (add the user to it, then log in again)"},
    std::string_view{"another program holds it"},
    std::string_view{"it is not a serial port"},
    std::string_view{"it could not be set up for the transducer"},
    std::string_view{"device missing"},
    std::string_view{"answering"},
    std::string_view{"not answering"},
    std::string_view{"no port"},
    std::string_view{"No browser could show the manual; it is here"},
    std::string_view{"The transducer cannot follow this table within 0.1 % of its span"},
    std::string_view{"More than 3000 lines"},
    std::string_view{"Not a text file"},
    std::string_view{"File too large"},
    std::string_view{"Mixed decimal separators"},
    // The service windows' buttons.
    std::string_view{"Read"},
    std::string_view{"Oscillator"},
    std::string_view{"&History"},
    std::string_view{"History"},
    std::string_view{"Not recorded in the history"},
    std::string_view{"Operation"},
    std::string_view{"Outcome"},
    std::string_view{"Model"},
    std::string_view{"Operator"},
    std::string_view{"From"},
    std::string_view{"Until"},
    std::string_view{"All"},
    std::string_view{"Failed"},
    std::string_view{"Search"},
    std::string_view{"Open as configuration"},
    std::string_view{"Export to CSV"},
    std::string_view{"Close"},
    std::string_view{"Records"},
    std::string_view{"Host"},
    std::string_view{"Port"},
    std::string_view{"Parameter file"},
    std::string_view{"Program version"},
    std::string_view{"Restore of"},
    std::string_view{"Changed by this write"},
    std::string_view{"Select two records"},
    std::string_view{"No differences"},
    std::string_view{"Not a date"},
    std::string_view{"Restore this transducer"},
    // Series programming from the window.
    std::string_view{"Program each new transducer"},
    std::string_view{"Every transducer connected from now on is written and verified with this configuration, once per serial number"},
    std::string_view{"Export each programmed transducer's report as a PDF file?"},
    std::string_view{"Folder for the reports"},
    std::string_view{"Waiting for the next transducer"},
    std::string_view{"Programmed"},
    std::string_view{"Skipped"},
    std::string_view{"written and verified"},
    std::string_view{"programming failed"},
    std::string_view{"refused, nothing written"},
    std::string_view{"already programmed in this series"},
};
static_assert(std::ranges::none_of(kToolKeys, [](std::string_view key) { return key.empty(); }),
              "every key has a text");

}  // namespace

std::span<const std::string_view> LangKeys() noexcept { return kKeys; }
std::span<const std::string_view> ToolLangKeys() noexcept { return kToolKeys; }

}  // namespace r4860
