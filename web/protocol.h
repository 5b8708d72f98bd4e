#pragma once

// What the program and the page's scripts (pre.js, pad.js, pictures.js,
// picturefetch.js, and a learning platform's listener, platforms/course.js)
// hand each other: the names under which the scripts put their functions on
// Module or the page's window, and the numbers' places in the arrays that
// cross between them.
// web/protocol.cmake writes each constant into a script of the same names,
// which comes before the others, so both sides read them from here.

// The scripts' functions, Module[NAME] (see each script).
inline constexpr char FOLLOW_PAD[] = "followPad";
inline constexpr char SHOW_PICTURE[] = "showPicture";
inline constexpr char PICTURES_READY[] = "picturesReady";
inline constexpr char TILE_DECODED[] = "tileDecoded";
inline constexpr char MARK_FIRST_FRAME[] = "markFirstFrame";
inline constexpr char FETCH_PICTURES[] = "fetchPictures";
inline constexpr char CANNOT_START[] = "cannotStart";

// A learning platform's listener, window[COURSE_PROGRESS](letter, built,
// letters), where the page has one: on the window rather than on Module, so
// that one listener hears the program whichever of its shapes starts. The
// program tells it how far the child got once the game takes input and
// after each finished letter.
inline constexpr char COURSE_PROGRESS[] = "courseProgress";

// The id of the element that holds the page's own files where the whole
// page is one file (zentrik.html, made by web/singlefile.py): its program
// and picture files, by name, in base64. Present, the page reads its bytes
// from there and asks for nothing; absent, it fetches them and keeps them on
// the device with a service worker.
inline constexpr char HELD_FILES[] = "zentrik-files";
inline constexpr char PROGRAM_FILE[] = "program.wasm"; // the WebAssembly's name there

// The name of the <meta> whose content names the learning platform's
// standard ("1.2" or "2004") where the page is a course package, or "lti"
// where an LTI tool serves it (both made by platforms/coursepackage.py):
// present, the page tells the platform how far the child got (the
// package's course.js, which is platforms/course.js or platforms/lti.js)
// and registers no service worker, for a package's addresses change with
// every upload, and a launched page is opened from the platform each time.
inline constexpr char COURSE_STANDARD[] = "zentrik-course";

// Where the page was launched by a learning platform's LTI tool
// (zentrik-tool), which reads these names as well: the <meta> whose content
// is the launch's play token, and the address, relative to the page, where
// platforms/lti.js reports progress with it. The tool posts the result to
// the platform's gradebook; the page holds no credential of the platform's.
inline constexpr char PLAY_TOKEN_META[] = "zentrik-play-token";
inline constexpr char PROGRESS_PATH[] = "progress";

// A move of the pad's pointer, as pad.js hands the moves on: MOVE_FIELDS
// numbers a move.
inline constexpr int MOVE_POINTER = 0; // the pointer's id
inline constexpr int MOVE_X = 1;       // clientX
inline constexpr int MOVE_Y = 2;       // clientY
inline constexpr int MOVE_FIELDS = 3;
