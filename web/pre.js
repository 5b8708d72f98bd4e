// Runs before the compiled game. First, what says in the page, in place of
// the first board, why the game cannot start: `text`.
Module[CANNOT_START] = function (text) {
    var board = document.getElementById('first-board');
    if (board)
        board.remove();
    var line = document.body.appendChild(document.createElement('p'));
    line.className = 'needs';
    line.textContent = text;
};

// What the program tells a learning platform: only a course package's own
// script (course.js) listens.
if (!Module[COURSE_PROGRESS])
    Module[COURSE_PROGRESS] = function () {};

// A browser that cannot run the game (no WebAssembly, or a WebAssembly
// without what the game needs) aborts before the scene stands: then the page
// says what its <noscript> says, in place of a blank page. With scripts on,
// a <noscript> holds its markup as text.
Module['onAbort'] = function () {
    if (!document.getElementById('Form1'))
        Module[CANNOT_START](document.querySelector('noscript').textContent.replace(/<[^>]*>/g, '').trim());
};

// The moments of the start, on the page's performance timeline for the bench
// and DevTools: the script runs; the WebAssembly is compiled, instantiated
// and its static data set up.
performance.mark('zentrik-script');

// The page's own files where the whole page is one file (zentrik.html):
// browsers refuse a page opened from a disk every fetch, so the program and
// the picture files travel inside it, by name, in base64. Null where the page
// is served as a folder and fetches them.
var heldFiles = (function () {
    var element = document.getElementById(HELD_FILES);
    return element && JSON.parse(element.textContent);
})();

// The bytes of the held file `name`, or null where the page does not hold it.
function heldBytes(name) {
    if (!heldFiles || !(name in heldFiles))
        return null;
    var text = atob(heldFiles[name]);
    var bytes = new Uint8Array(text.length);
    for (var i = 0; i < text.length; ++i)
        bytes[i] = text.charCodeAt(i);
    return bytes;
}

if (heldFiles)
    Module['wasmBinary'] = heldBytes(PROGRAM_FILE);

Module['onRuntimeInitialized'] = function () {
    performance.mark('zentrik-runtime');
    // The program's main in a task of its own, after the one that
    // instantiated the WebAssembly and set up its runtime.
    var channel = new MessageChannel();
    channel.port1.onmessage = function () {
        Module['callMain']([]);
    };
    channel.port2.postMessage(null);
};

// The first frame that shows the whole board, the first board's or the
// program's, whichever comes first.
Module[MARK_FIRST_FRAME] = function () {
    if (!performance.getEntriesByName('zentrik-first-frame').length)
        performance.mark('zentrik-first-frame');
};

// The first board shows, whole, once its picture and the background's tile
// are decoded (without the tile, on the page's colour), unless the program's
// own board, which looks the same and takes the taps, has taken its place by
// then. The program waits on the same decoding of the tile (TILE_DECODED).
(function () {
    // The tile's address is the style sheet's, a file beside the page or the
    // picture itself where the page is one file, so that the browser decodes
    // it once for both.
    var tile = new Image();
    var address = /^url\("?(.*?)"?\)$/.exec(getComputedStyle(
        document.getElementById('first-board') || document.documentElement).backgroundImage);
    tile.src = address ? address[1] : 'background.png';
    Module[TILE_DECODED] = tile.decode();
    Module[TILE_DECODED].catch(function () {
        console.warn("Zentrik: the background's tile background.png could not be read");
    });
    var board = document.getElementById('first-board');
    if (!board)
        return;
    Promise.all([board.querySelector('img').decode(), Module[TILE_DECODED].catch(function () {})]).then(function () {
        if (!board.isConnected)
            return;
        board.className = 'shown';
        requestAnimationFrame(Module[MARK_FIRST_FRAME]);
    }, function () {});
})();
