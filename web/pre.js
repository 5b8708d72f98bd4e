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

// What the page says where neither shape of the program can run in this
// browser (below): scripts run, so a teacher is sent to the browser or the
// device, not to a switch for JavaScript.
var CANNOT_RUN = 'このブラウザでは、ゲームを動かせません。ブラウザや端末を新しくするか、ほかの端末で開いてください。' +
    ' / This browser cannot run the game: update the browser or the device, or open the game on another device.';

// A program that fails before the scene stands (a WebAssembly without what
// the game needs, a shape that cannot run) aborts: the page says so in place
// of a blank page.
Module['onAbort'] = function () {
    if (!document.getElementById('Form1'))
        Module[CANNOT_START](CANNOT_RUN);
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

// Where this page may not compile WebAssembly, the program's JavaScript
// shape plays: the same program with its WebAssembly turned into JavaScript,
// for a browser older than the policy's 'wasm-unsafe-eval', which reads the
// policy as refusing every compile, or one with WebAssembly switched off or
// missing. A browser that compiles it never asks for the shape. The runtime
// of this script is then handed no WebAssembly: it waits, idle, for one that
// never comes, and the shape's script, whose own copy of these lines passes
// this by, starts the same program afresh on a Module of its own, in a task
// after this one. The single file holds no shape, and says what the browser
// lacks.
(function () {
    // names.cmake puts the shape's name here. Kept in this function: the
    // shape's script declares the same globals anew.
    var shape = 'zentrik.asm.js';
    var inShape = 'zentrikInJsShape';
    if (Module[inShape] || compilesWebAssembly())
        return;
    if (typeof WebAssembly != 'object')
        window.WebAssembly = {};
    var cannotStart = Module[CANNOT_START];
    var holdsFiles = !!heldFiles;
    Module['instantiateWasm'] = function () {
        setTimeout(function () {
            if (holdsFiles)
                return cannotStart(CANNOT_RUN);
            Module = {};
            Module[inShape] = true;
            var script = document.createElement('script');
            script.src = shape;
            script.onerror = function () {
                cannotStart(CANNOT_RUN);
            };
            // Offline next time: the service worker keeps the shape on this
            // device, which plays it.
            script.onload = function () {
                if ('serviceWorker' in navigator) {
                    navigator.serviceWorker.ready.then(function (registration) {
                        registration.active.postMessage(shape);
                    });
                }
            };
            document.head.appendChild(script);
        });
        return {};
    };

    // Whether this page may compile and run WebAssembly: an empty module,
    // compiled and instantiated at once, as the program's would be. Some
    // engines refuse the compile, WebKit the instance.
    function compilesWebAssembly() {
        try {
            var module = new WebAssembly.Module(new Uint8Array([0, 0x61, 0x73, 0x6d, 1, 0, 0, 0]));
            return new WebAssembly.Instance(module) instanceof WebAssembly.Instance;
        } catch (error) {
            return false;
        }
    }
})();

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
    // This Module's, which may have given way to the JavaScript shape's by then.
    var markFirstFrame = Module[MARK_FIRST_FRAME];
    Promise.all([board.querySelector('img').decode(), Module[TILE_DECODED].catch(function () {})]).then(function () {
        if (!board.isConnected)
            return;
        board.className = 'shown';
        requestAnimationFrame(markFirstFrame);
    }, function () {});
})();
