// Runs ambertrace as a process, through the POSIX shell, in a folder of its
// own, with the stand-in for the trace driver (tests/device/
// stand_in_device_shim.c) preloaded. Each case is a short shell script; the
// programs are $AMBERTRACE and $AMBERTAP, the golden traces lie in $GOLDEN.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "case_files.h"
#include "case_names.h"

namespace ambertap {
namespace {

namespace fs = std::filesystem;

using testing::contentsOf;

std::string golden(const std::string& name, const char* extension) {
    return contentsOf(fs::path(AMBERTAP_GOLDEN_CASES) / (name + extension));
}

struct ScriptResult {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::string folder;  // the names left in the case's folder, one a line
};

// Runs `script` in a new folder whose driver holds the golden trace `trace`
// (none: no driver is installed).
ScriptResult runScript(const std::string& script, const char* trace) {
    const fs::path folder =
        fs::path(::testing::TempDir()) / ("ambertrace_" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "work");
    std::string environment = std::string("LD_PRELOAD='") + AMBERTAP_STAND_IN_SHIM +
                              "' ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}"
                              "verify_asan_link_order=0\" AMBERTRACE='" AMBERTRACE_PROGRAM
                              "' AMBERTAP='" AMBERTAP_PROGRAM "' GOLDEN='" AMBERTAP_GOLDEN_CASES
                              "' SAMPLES='" AMBERTAP_SAMPLES "' TRACES='" AMBERTAP_WINDOWS_TRACES
                              "' MESSAGES='" AMBERTAP_MESSAGE_CASES
                              "' DEVICE='" AMBERTAP_DEVICE_TESTS "'";
    if (trace != nullptr) {
        fs::copy_file(fs::path(AMBERTAP_GOLDEN_CASES) / (std::string(trace) + ".bin"),
                      folder / "driver.bin");
        environment += " AMBERTAP_STAND_IN_TRACE='" + (folder / "driver.bin").string() + "'";
    }
    std::ofstream(folder / "case.sh") << "cd work || exit 99\n" << script << "\n";
    const std::string command =
        "cd '" + folder.string() + "' && " + environment + " sh case.sh >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    ScriptResult result;
    if (status != -1 && WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    result.out = contentsOf(folder / "out.txt");
    result.err = contentsOf(folder / "err.txt");
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder / "work")) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        result.folder += name + "\n";
    }
    fs::remove_all(folder);
    return result;
}

// Every golden trace, kept and shown four ways, gives ambertap's lines.
class GoldenTraceTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTraceTest, ShowsAmbertapsLines) {
    const std::string name = GetParam();
    const std::string lines = golden(name, ".out");
    const struct {
        const char* what;
        std::string script;
    } ways[] = {
        {"saved, then shown", "$AMBERTRACE save t 2>/dev/null && $AMBERTRACE show t"},
        {"through a pipe", "$AMBERTRACE save - | $AMBERTRACE show -"},
        {"from the driver", "$AMBERTRACE show"},
        {"as bare records", "$AMBERTRACE show \"$GOLDEN/" + name + ".bin\""},
        {"as hex text", "$AMBERTRACE show \"$GOLDEN/" + name + ".hex\""},
        // The time column before each line, 24 characters, takes nothing of it.
        {"after the time", "$AMBERTRACE show --time \"$GOLDEN/" + name + ".bin\" | cut -c 25-"},
    };
    for (const auto& way : ways) {
        const ScriptResult result = runScript(way.script, name.c_str());
        EXPECT_EQ(result.exitCode, 0) << way.what << "\n" << result.err;
        EXPECT_EQ(result.out, lines) << way.what;
    }
}

std::vector<std::string> goldenCaseNames() {
    std::vector<std::string> names;
    for (const fs::path& lines : testing::caseFiles(AMBERTAP_GOLDEN_CASES, ".out")) {
        names.push_back(lines.stem().string());
    }
    return names;
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenTraceTest, ::testing::ValuesIn(goldenCaseNames()),
                         [](const auto& test) { return test.param; });

struct ScriptCase {
    const char* name;
    std::string script;
    int exitCode;
    std::string out;
    std::string err;
    std::string folder = "";       // what the script leaves in its folder
    const char* trace = "listen";  // the driver's trace; nullptr: no driver
    bool needsMounts = false;      // root, to mount a file system of its own
};

void PrintTo(const ScriptCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string listenLines = golden("listen", ".out");
const std::string savedListen = "ambertrace: saved 4 messages (97 bytes) to t\n";

// Mounts a small file system of its own on d, in a mount namespace that ends
// with the script, so that nothing stays mounted.
std::string onOwnMount(const std::string& options, const std::string& script) {
    return "mkdir d && unshare -m sh -c 'mount -t tmpfs -o " + options + " tmpfs d && " + script +
           "'";
}

// w.hex: the voice call's CONNECT_IND with a number and a PLCI of its own,
// then the four sample calls, `times` times.
std::string callOpenFromTheStart(int times) {
    return "echo '02 2c 2c 00 01 00 02 82 77 01 01 7f 00 00 10 00 05 81 34 37 31 31 0c 01 80 30 "
           "33 30 31 32 33 34 35 36 37 00 00 03 80 90 a3 00 02 91 81 00' >w.hex && for i in "
           "$(seq " +
           std::to_string(times) +
           "); do cat \"$SAMPLES/outgoing_data_call.hex\" \"$SAMPLES/incoming_voice_call.hex\" "
           "\"$SAMPLES/busy_callee.hex\" \"$SAMPLES/fax_breaks_off.hex\"; done >>w.hex && ";
}

const ScriptCase scriptCases[] = {
    {"save_says_what_it_saved", "$AMBERTRACE save t", 0, "", savedListen, "t\n"},
    {"save_leaves_the_trace_in_the_driver",
     "$AMBERTRACE save t 2>/dev/null && $AMBERTAP 2>/dev/null", 0, listenLines, "", "t\n"},
    {"save_refuses_an_existing_file", "echo keep >t && $AMBERTRACE save t; echo $? && cat t", 0,
     "2\nkeep\n", "ambertrace: t: already exists; use --force to replace it\n", "t\n"},
    {"save_forced_replaces_a_file",
     "echo old >t && $AMBERTRACE save --force t 2>/dev/null && $AMBERTRACE show t", 0, listenLines,
     "", "t\n"},
    {"save_without_driver_leaves_nothing", "$AMBERTRACE save t", 2, "",
     "ambertrace: \\\\.\\OV7100D: cannot open the trace device: No such file or directory "
     "(error 2)\n",
     "", nullptr},
    {"save_to_a_full_disk_leaves_nothing",
     onOwnMount("size=4k", "$AMBERTRACE save d/t; echo $? >status; ls -A d") + "; cat status", 0,
     "2\n", "ambertrace: d/t: cannot write: No space left on device\n", "d\nstatus\n",
     "full_buffer", true},
    {"save_to_a_read_only_mount_leaves_nothing",
     onOwnMount("ro", "$AMBERTRACE save d/t; echo $? >status; ls -A d") + "; cat status", 0, "2\n",
     "ambertrace: d/t: cannot create a temporary file beside it: Read-only file system\n",
     "d\nstatus\n", "listen", true},
    {"save_into_a_missing_folder", "$AMBERTRACE save no/t", 2, "",
     "ambertrace: no/t: cannot create a temporary file beside it: No such file or directory\n"},
    {"show_two_inputs_with_headers", "$AMBERTRACE save t 2>/dev/null && $AMBERTRACE show t - <t", 0,
     "==> t <==\n" + listenLines + "\n==> standard input <==\n" + listenLines, "", "t\n"},
    {"show_the_demo_sample", "$AMBERTRACE show \"$SAMPLES/outgoing_data_call.hex\"", 0,
     contentsOf(fs::path(AMBERTAP_SAMPLES) / "../tests/windows/expected/outgoing_data_call.stdout"),
     ""},
    {"show_the_demo_samples_xxd_dump",
     "$AMBERTRACE show \"$SAMPLES/../tests/tracefile/dumps/outgoing_data_call.xxd\"", 0,
     contentsOf(fs::path(AMBERTAP_SAMPLES) / "../tests/windows/expected/outgoing_data_call.stdout"),
     ""},
    {"show_the_demo_samples_hexdump",
     "$AMBERTRACE show \"$SAMPLES/../tests/tracefile/dumps/outgoing_data_call.hexdump\"", 0,
     contentsOf(fs::path(AMBERTAP_SAMPLES) / "../tests/windows/expected/outgoing_data_call.stdout"),
     ""},
    {"show_hex_of_a_cut_record",
     "$AMBERTRACE show --hex \"$GOLDEN/cut_inside_message_header.hex\" | tail -2", 0,
     "Put  28 0001 <cut>\n"
     "    01 1c 1c 00 01 00 02\n",
     ""},
    {"show_refuses_a_changed_file",
     "$AMBERTRACE save t 2>/dev/null && sed 's/$/\\r/' t >crlf && $AMBERTRACE show crlf", 2, "",
     "ambertrace: crlf: line ends converted (a transfer changed LF into CR LF)\n", "crlf\nt\n"},
    {"save_records_more_data",
     "AMBERTAP_STAND_IN_OVERFLOW=1 $AMBERTRACE save t && $AMBERTRACE show t", 0, listenLines,
     "ambertrace: saved 4 messages (97 bytes) to t; the driver had more than 10000 bytes, the "
     "rest was not read (the file says so)\n"
     "ambertrace: t: the driver's trace was longer than 10000 bytes when it was saved: the rest "
     "was not read\n",
     "t\n"},
    {"show_damaged_file_all_the_same",
     "$AMBERTRACE save t 2>/dev/null && head -c -1 t >cut && $AMBERTRACE show --damaged cut | "
     "wc -l; $AMBERTRACE show --damaged cut >/dev/null 2>&1; echo $?",
     0, "4\n2\n", "ambertrace: cut: warning: shown despite damage: cut short: 136 of 137 bytes\n",
     "cut\nt\n"},
    {"show_missing_file", "$AMBERTRACE show missing", 2, "",
     "ambertrace: missing: cannot open: No such file or directory\n"},
    {"check_finds_an_error",
     "$AMBERTRACE check - <\"$TRACES/unanswered_data_b3_ind.hex\" >o; s=$?; cut -d: -f1-3 o; "
     "exit $s",
     3, "<stdin>:1: note\n<stdin>:15: error\n", "ambertrace: 1 error, 0 warnings, 1 note\n", "o\n"},
    {"check_of_the_driver", "$AMBERTRACE check >o; s=$?; cut -d: -f1-3 o; exit $s", 3,
     "\\\\.\\OV7100D:4: error\n", "ambertrace: 1 error, 0 warnings, 0 notes\n", "o\n"},
    {"calls_of_a_saved_trace", "$AMBERTRACE save t 2>/dev/null && $AMBERTRACE calls t", 0,
     "application 1, controller 1: messages of no call (records 1-2)\n"
     "  LISTEN_REQ: 1 (record 1)\n"
     "  LISTEN_CONF: 1 (record 2)\n"
     "\n"
     "application 1, controller 127 (external): messages of no call (records 3-4)\n"
     "  LISTEN_REQ: 1 (record 3)\n"
     "  LISTEN_CONF: 1 (record 4)\n",
     "", "t\n"},
    // The ladders of every sample, as the golden file has them; from standard
    // input, read twice through its temporary copy, the same; from the
    // driver, its trace read once for both passes, no capture: no times.
    {"calls_ladder_of_every_sample",
     "for f in busy_callee fax_breaks_off incoming_voice_call outgoing_data_call; do "
     "echo \"== $f\"; $AMBERTRACE calls --ladder \"$SAMPLES/$f.hex\" || exit; done; "
     "echo '== outgoing_data_call --mask-numbers'; "
     "$AMBERTRACE calls --ladder --mask-numbers \"$SAMPLES/outgoing_data_call.hex\"",
     0, contentsOf(AMBERTAP_SAMPLE_LADDERS), ""},
    {"calls_ladder_of_standard_input",
     "$AMBERTRACE calls --ladder - <\"$SAMPLES/incoming_voice_call.hex\" >a && "
     "$AMBERTRACE calls --ladder \"$SAMPLES/incoming_voice_call.hex\" >b && cmp a b && "
     "head -1 a",
     0, "calls 1 and 2: PLCI 0201 on controller 1, applications 1 and 2, incoming (records 5-49)\n",
     "", "a\nb\n"},
    {"calls_ladder_of_the_driver", "$AMBERTRACE calls --ladder --width 40 | head -3", 0,
     "application 1, controller 1: messages of\n"
     "no call (records 1-2)\n"
     "rec   pair  application 1           CAPI\n",
     ""},
    // A call left open from the first record (a CONNECT_IND that nobody
    // answers, on a PLCI of its own) holds back the 1250 calls after it, more
    // than memory holds: they wait in a temporary file and come in order, from
    // a file and from standard input alike; without a folder for temporary
    // files that is an error, never a silent loss.
    {"calls_behind_a_call_open_from_the_start",
     callOpenFromTheStart(250) +
         "$AMBERTRACE calls --json w.hex >a && $AMBERTRACE calls --json - <w.hex >b && cmp a b && "
         "head -c 90 a && echo && grep -c '\"type\":\"call\"' a && "
         "TMPDIR=\"$PWD/missing\" $AMBERTRACE calls --json w.hex >/dev/null 2>e; s=$?; head -1 e; "
         "exit $s",
     2,
     "{\"type\":\"call\",\"applId\":1,\"controller\":1,\"plci\":32513,\"direction\":"
     "\"incoming\",\"begunBeforeT\n"
     "1251\n"
     "ambertrace: what waits to be written in order: cannot make a temporary file: No such file "
     "or directory\n",
     "", "a\nb\ne\nw.hex\n"},
    {"check_behind_a_call_open_from_the_start",
     callOpenFromTheStart(20) +
         "$AMBERTRACE check w.hex >a 2>/dev/null && $AMBERTRACE check - <w.hex >b && "
         "sed 's/^<stdin>/w.hex/' b | cmp a - && head -1 a",
     0, "w.hex:1: note: CONNECT_IND #0177 on PLCI 7f01 is not answered by the end of the trace\n",
     "ambertrace: 0 errors, 0 warnings, 61 notes\n", "a\nb\nw.hex\n"},
    {"calls_ladder_to_a_full_disk",
     "$AMBERTRACE calls --ladder \"$SAMPLES/outgoing_data_call.hex\" >/dev/full", 2, "",
     "ambertrace: standard output: cannot write: No space left on device\n"},
    // The report: whole or absent. To standard output and to a file the same
    // bytes, those of the golden report for the same name; an existing file
    // kept unless --force; a folder that is not there, a disk that fills and
    // an input that cannot be read leave no file, not even a temporary one.
    {"report_to_standard_output",
     "cd \"$SAMPLES\" && $AMBERTRACE report -o - outgoing_data_call.hex", 0,
     contentsOf(AMBERTAP_DEMO_REPORT), ""},
    {"report_to_a_file",
     "cp \"$SAMPLES/outgoing_data_call.hex\" . && "
     "$AMBERTRACE report outgoing_data_call.hex -o r.html && cmp r.html '" AMBERTAP_DEMO_REPORT "'",
     0, "", "", "outgoing_data_call.hex\nr.html\n"},
    {"report_of_standard_input",
     "cp \"$SAMPLES/incoming_voice_call.hex\" v && $AMBERTRACE report -o - - <v | "
     "sed 's/standard input/v/g' >a && $AMBERTRACE report -o - v >b && cmp a b && "
     "grep -m1 '<h3' a",
     0,
     "<h3>calls 1 and 2: PLCI 0201 on controller 1, applications 1 and 2, incoming (records "
     "5-49)</h3>\n",
     "", "a\nb\nv\n"},
    {"report_keeps_an_existing_file",
     "echo kept >r.html; $AMBERTRACE report -o r.html \"$SAMPLES/busy_callee.hex\"; s=$?; "
     "cat r.html; exit $s",
     2, "kept\n", "ambertrace: r.html: already exists; use --force to replace it\n", "r.html\n"},
    {"report_forced_over_an_existing_file",
     "cp \"$SAMPLES/outgoing_data_call.hex\" . && echo old >r.html && "
     "$AMBERTRACE report --force -o r.html outgoing_data_call.hex && "
     "cmp r.html '" AMBERTAP_DEMO_REPORT "'",
     0, "", "", "outgoing_data_call.hex\nr.html\n"},
    {"report_into_a_missing_folder",
     "$AMBERTRACE report -o missing/r.html \"$SAMPLES/busy_callee.hex\"", 2, "",
     "ambertrace: missing/r.html: cannot create a temporary file beside it: No such file or "
     "directory\n"},
    {"report_of_an_unreadable_input",
     "$AMBERTRACE report -o r.html \"$SAMPLES/busy_callee.hex\" missing.hex", 2, "",
     "ambertrace: missing.hex: cannot open: No such file or directory\n"
     "ambertrace: r.html: not written, since an input could not be read whole\n"},
    {"report_to_a_full_standard_output",
     "$AMBERTRACE report -o - \"$SAMPLES/busy_callee.hex\" >/dev/full", 2, "",
     "ambertrace: standard output: cannot write: No space left on device\n"},
    {"report_to_a_full_disk",
     onOwnMount("size=16k",
                "$AMBERTRACE report -o d/r.html \"$SAMPLES/outgoing_data_call.hex\"; "
                "s=$?; ls -A d; exit $s"),
     2, "", "ambertrace: d/r.html: cannot write: No space left on device\n", "d\n", "listen", true},
    // Every golden trace, damaged or cut ones too, gives a ladder and a
    // report; a message cut by the trace's end is in no call and no diagram.
    {"ladders_and_reports_of_every_golden_trace",
     "for f in \"$GOLDEN\"/*.hex; do for v in 'calls --ladder' 'report -o -'; do "
     "$AMBERTRACE $v --damaged \"$f\" >/dev/null 2>&1; s=$?; "
     "[ $s -le 2 ] || echo \"$(basename \"$f\") $v: $s\"; done; done",
     0, "", ""},
    // Past its bounds a report draws no more diagrams, and its calls table
    // says which calls it does not draw.
    {"report_past_its_bounds",
     "for i in $(seq 520); do cat \"$SAMPLES/busy_callee.hex\"; done >long.hex && "
     "$AMBERTRACE report -o - long.hex >r && grep -c '<h3' r && grep -c '(not drawn: ' r && "
     "grep -m1 -o 'call 501 (not drawn: [^)]*)' r",
     0, "500\n21\ncall 501 (not drawn: the report draws at most 500 diagrams and 20000 messages)\n",
     "", "long.hex\nr\n"},
    {"show_to_a_full_disk", "$AMBERTRACE show \"$GOLDEN/listen.hex\" >/dev/full", 2, "",
     "ambertrace: standard output: cannot write: No space left on device\n"},
    {"save_to_a_full_standard_output", "$AMBERTRACE save - >/dev/full", 2, "",
     "ambertrace: standard output: cannot write: No space left on device\n"},
    // Every JSON line that show and calls write parses as one JSON object
    // with its type: of every golden trace, sample and message case, of a
    // saved trace file (its facts first, alone and among other inputs), of a
    // capture of one long read and of one that record made with a clear.
    {"json_lines_parse",
     "for f in \"$GOLDEN\"/*.bin \"$MESSAGES\"/*.bin \"$SAMPLES\"/*.hex; do "
     "$AMBERTRACE show --json \"$f\" && $AMBERTRACE calls --json \"$f\" || exit; done >j && "
     "$AMBERTRACE save t 2>/dev/null && "
     "$AMBERTRACE record --interval 10 --records 4 --clear --clear-at 1 r 2>/dev/null && "
     "f=\"$GOLDEN/full_buffer.bin\" && cat \"$f\" \"$f\" >\"$AMBERTAP_STAND_IN_TRACE\" && "
     "$AMBERTRACE save c 2>/dev/null && "
     "for f in t r c; do $AMBERTRACE show --json $f && $AMBERTRACE calls --json $f || exit; "
     "done >>j && $AMBERTRACE show --json t r c \"$GOLDEN/listen.hex\" >>j && "
     "python3 -c 'import json, sys\n"
     "lines = [json.loads(line) for line in open(\"j\")]\n"
     "types = {line[\"type\"] for line in lines if isinstance(line, dict)}\n"
     "assert len(types) and all(isinstance(line, dict) for line in lines)\n"
     "print(\" \".join(sorted(types & {\"trace\", \"record\", \"call\"})))'",
     0, "call record trace\n", "", "c\nj\nr\nt\n"},
    // check --json of every trace writes as many finding objects as check
    // has lines, each with its kind and proof, then a summary that counts them.
    {"check_json_lines_parse",
     "for f in \"$GOLDEN\"/*.bin \"$MESSAGES\"/*.bin \"$SAMPLES\"/*.hex \"$TRACES\"/*.hex; do "
     "$AMBERTRACE check \"$f\" 2>/dev/null | wc -l; $AMBERTRACE check --json \"$f\" 2>/dev/null; "
     "done | python3 -c '\n"
     "import json, sys\n"
     "want = None\n"
     "for line in sys.stdin:\n"
     "    if want is None:\n"
     "        want, found = int(line), 0\n"
     "        continue\n"
     "    o = json.loads(line)\n"
     "    if o[\"type\"] == \"finding\":\n"
     "        assert {\"record\", \"severity\", \"kind\", \"message\", \"proof\"} <= o.keys(), "
     "line\n"
     "        found += 1\n"
     "        continue\n"
     "    assert o[\"type\"] == \"summary\", line\n"
     "    assert found == want == o[\"errors\"] + o[\"warnings\"] + o[\"notes\"], line\n"
     "    want = None\n"
     "assert want is None\n"
     "print(\"ok\")'",
     0, "ok\n", ""},
    // One application's or one controller's messages, from files and from
    // the driver: of the four sample calls one after the other, application
    // 3's are busy_callee's, and another application's fault is not found.
    {"show_one_application",
     "cat \"$SAMPLES\"/*.hex | $AMBERTRACE show --appl 3 - >o && $AMBERTRACE show "
     "\"$SAMPLES/busy_callee.hex\" | cmp - o && $AMBERTRACE show --appl 3 --controller 2 - "
     "<\"$SAMPLES/busy_callee.hex\" | wc -l",
     0, "0\n", "", "o\n"},
    {"show_one_controller_of_the_driver",
     "$AMBERTRACE show --json --controller 127 | cut -d, -f1-3", 0,
     "{\"type\":\"record\",\"index\":3,\"offset\":53\n"
     "{\"type\":\"record\",\"index\":4,\"offset\":81\n",
     ""},
    {"calls_of_one_controller", "$AMBERTRACE calls --controller 1", 0,
     "application 1, controller 1: messages of no call (records 1-2)\n"
     "  LISTEN_REQ: 1 (record 1)\n"
     "  LISTEN_CONF: 1 (record 2)\n",
     ""},
    {"check_of_another_application",
     "$AMBERTRACE check --appl 1 \"$TRACES/unanswered_data_b3_ind.hex\" | cut -d: -f2-3; "
     "$AMBERTRACE check --appl 2 \"$TRACES/unanswered_data_b3_ind.hex\"",
     0, "1: note\n15: error\n",
     "ambertrace: 1 error, 0 warnings, 1 note\nambertrace: 0 errors, 0 warnings, 0 notes\n"},
    {"usage_error", "$AMBERTRACE show --clear", 1, "",
     "ambertrace: show: unknown option '--clear' (see 'ambertrace show --help')\n"},
    {"version", "$AMBERTRACE --version", 0, "ambertrace " AMBERTAP_VERSION "\n", ""},
};

// A session of record against the stand-in, fed as it runs by the script
// that the Windows cases share; the script says what is wrong, and leaves
// nothing behind here.
ScriptCase fedSession(const char* name, const std::string& scenario) {
    return {name,
            ": >\"$AMBERTAP_STAND_IN_TRACE\" && FEED=\"python3 $DEVICE/feed_trace.py\" sh "
            "\"$DEVICE/fed_session.sh\" " +
                scenario + "; s=$?; rm -f ./*; exit $s",
            0, "", ""};
}

const ScriptCase recordCases[] = {
    fedSession("fed_and_stopped_by_ctrl_c", "stopped"),
    fedSession("stopped_by_sigterm", "signal TERM"),
    fedSession("stopped_by_sighup", "signal HUP"),
    fedSession("cleared_by_ambertap_in_the_middle", "cleared"),
    fedSession("clear_keeps_more_than_the_driver_holds", "clearing"),
    fedSession("killed_leaves_its_whole_blocks", "killed"),
    fedSession("duration_stops_it", "duration"),
    fedSession("records_stop_it", "records"),
    fedSession("watch_shows_and_saves_what_record_keeps", "watched"),
    fedSession("watch_stops_by_itself", "watch_stops"),
    fedSession("watch_stops_after_its_first_error", "stop_on"),
    // What a view could not write is in the file all the same, and the
    // summary counts what the file holds.
    {"watch_to_a_full_output_saves_what_it_read",
     "$AMBERTRACE watch --save c --records 4 >/dev/full; echo $? && $AMBERTRACE show c | wc -l", 0,
     "2\n4\n",
     "ambertrace: standard output: cannot write: No space left on device\n"
     "ambertrace: watched 4 messages (97 bytes) to c in 0.0 s, 0 gaps\n",
     "c\n"},
    {"watch_without_driver_leaves_nothing", "$AMBERTRACE watch --check --save c", 2, "",
     "ambertrace: \\\\.\\OV7100D: cannot open the trace device: No such file or directory "
     "(error 2)\n",
     "", nullptr},
    // The findings name the driver's records as check of the driver does,
    // and the exit code is check's.
    {"watch_check_of_the_driver",
     "$AMBERTRACE watch --check --records 4 | cut -d: -f1-3; echo $?; $AMBERTRACE watch --check "
     "--json --records 4 --controller 127 | cut -d, -f1-2",
     0,
     "\\\\.\\OV7100D:4: error\n0\n{\"type\":\"finding\",\"record\":4\n"
     "{\"type\":\"summary\",\"errors\":1\n",
     "ambertrace: watched 4 messages (97 bytes) in 0.0 s, 0 gaps\n"
     "ambertrace: 1 error, 0 warnings, 0 notes\n"
     "ambertrace: watched 4 messages (97 bytes) in 0.0 s, 0 gaps\n"
     "ambertrace: 1 error, 0 warnings, 0 notes\n"},
    // An error is worse than a warning: it ends the capture too, long before
    // its duration.
    {"watch_stops_on_a_warning_or_worse",
     "$AMBERTRACE watch --stop-on warning --duration 60 --interval 50 >/dev/null 2>e; echo $?; "
     "grep -c '^ambertrace: check found an error at record 4: the capture ends in 3 s$' e; "
     "grep -c '^ambertrace: watched 4 messages (97 bytes) in [3-9]\\.[0-9] s, 0 gaps$' e",
     0, "0\n1\n1\n", "", "e\n"},
    {"record_refuses_an_existing_file", "echo keep >c && $AMBERTRACE record c; echo $? && cat c", 0,
     "2\nkeep\n", "ambertrace: c: already exists; use --force to replace it\n", "c\n"},
    {"record_without_driver_leaves_nothing", "$AMBERTRACE record c", 2, "",
     "ambertrace: \\\\.\\OV7100D: cannot open the trace device: No such file or directory "
     "(error 2)\n",
     "", nullptr},
    // The first block does not fit: the file keeps its header, a capture
    // that shows no record.
    {"record_to_a_full_disk_keeps_its_whole_blocks",
     onOwnMount("size=8k",
                "$AMBERTRACE record d/c; echo $? >status; $AMBERTRACE show d/c "
                "| wc -l >>status; wc -c <d/c >>status") +
         "; cat status",
     0, "2\n0\n40\n", "ambertrace: d/c: cannot write: No space left on device\n", "d\nstatus\n",
     "full_buffer", true},
    // A capture knows when each record was seen: the day of the capture.
    {"show_time_of_a_capture",
     "d=$(date -u +%F) && $AMBERTRACE record --interval 10 --records 4 c 2>/dev/null && "
     "days=$($AMBERTRACE show --time c | cut -c 1-10 | sort -u) && "
     "{ [ \"$days\" = \"$d\" ] || [ \"$days\" = \"$(date -u +%F)\" ]; } && echo \"$days\" | wc -l",
     0, "1\n", "", "c\n"},
    // A trace file knows its save to the second, hex text no time at all.
    {"show_time_of_inputs_without_times",
     "$AMBERTRACE save t 2>/dev/null && $AMBERTRACE show --time t | cut -c 20-24 | sort -u; "
     "$AMBERTRACE show --time \"$GOLDEN/listen.hex\" | cut -c 1-24 | sort -u",
     0,
     ".??? \n????"
     "-"
     "??"
     "-"
     "?? ??:??:??.??? \n",
     "", "t\n"},
};

// Traces longer than one read, saved whole, from a driver that cuts its copy
// without a word, one that says when it cut it, and one that always says it
// had more.
ScriptCase longSave(const char* name, const std::string& overflow, const std::string& note) {
    return {name,
            "f=\"$GOLDEN/full_buffer.bin\"; cat \"$f\" \"$f\" \"$f\" >\"$AMBERTAP_STAND_IN_TRACE\" "
            "&& " +
                overflow +
                " $AMBERTRACE save t && cat \"$f\" \"$f\" \"$f\" | $AMBERTRACE show - >fed && "
                "$AMBERTRACE show t | cmp - fed && od -An -tu1 -j8 -N1 t",
            0,
            "   2\n",
            "ambertrace: saved 1386 messages (30000 bytes) to t" + note + "\n",
            "fed\nt\n"};
}

const ScriptCase longSaveCases[] = {
    longSave("save_of_a_trace_cut_silently", "", ""),
    longSave("save_of_a_trace_said_to_be_longer", "AMBERTAP_STAND_IN_OVERFLOW=cut", ""),
    longSave("save_of_a_driver_that_always_says_more", "AMBERTAP_STAND_IN_OVERFLOW=1",
             "; the driver reported more trace than it returned: it may have dropped messages"),
};

// A saved file changed one way, then shown: refused with its reason, exit 2,
// nothing on standard output.
ScriptCase refusal(const char* name, const std::string& change, const std::string& reason) {
    return {name,
            "$AMBERTRACE save t 2>/dev/null && " + change + " && $AMBERTRACE show u",
            2,
            "",
            "ambertrace: u: " + reason + "\n",
            "t\nu\n"};
}

const ScriptCase refusalCases[] = {
    refusal("byte_flipped", "cp t u && printf U | dd of=u bs=1 seek=45 conv=notrunc 2>/dev/null",
            "damaged: checksum differs"),
    refusal("byte_cut_off", "head -c -1 t >u", "cut short: 136 of 137 bytes"),
    refusal("byte_added", "cp t u && printf x >>u", "bytes after the end of the records"),
    refusal("line_ends_to_crlf", "sed 's/$/\\r/' t >u",
            "line ends converted (a transfer changed LF into CR LF)"),
    refusal("line_ends_to_lf", "tr -d '\\r' <t >u",
            "line ends converted (a transfer changed CR LF into LF)"),
    refusal("eighth_bit_stripped", "tr '\\200-\\377' '\\000-\\177' <t >u",
            "eighth bit stripped (a 7-bit transfer changed the file)"),
    refusal("newer_version",
            "cp t u && printf '\\003' | dd of=u bs=1 seek=8 conv=notrunc 2>/dev/null",
            "newer format version 3.0 (this program reads 1.x to 2.x)"),
};

class ScriptTest : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptTest, WritesExitsAndLeaves) {
    const ScriptCase& c = GetParam();
    if (c.needsMounts && geteuid() != 0) {
        GTEST_SKIP() << "mounts a file system of its own: needs root";
    }
    const ScriptResult result = runScript(c.script, c.trace);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.folder, c.folder);
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptTest, ::testing::ValuesIn(scriptCases),
                         testing::NamedByRow());
INSTANTIATE_TEST_SUITE_P(Refused, ScriptTest, ::testing::ValuesIn(refusalCases),
                         testing::NamedByRow());
INSTANTIATE_TEST_SUITE_P(Record, ScriptTest, ::testing::ValuesIn(recordCases),
                         testing::NamedByRow());
INSTANTIATE_TEST_SUITE_P(LongSave, ScriptTest, ::testing::ValuesIn(longSaveCases),
                         testing::NamedByRow());

}  // namespace
}  // namespace ambertap
