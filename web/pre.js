// Runs before the compiled game. A browser that cannot run it (no
// WebAssembly, or a WebAssembly without what the game needs) aborts before
// the scene stands: then the page shows the line its <noscript> holds, which
// says what the page needs, in place of a blank page.
Module['onAbort'] = function () {
    if (document.getElementById('Form1'))
        return;
    var board = document.getElementById('first-board');
    if (board)
        board.remove();
    var line = document.createElement('p');
    line.className = 'needs';
    // With scripts on, a <noscript> holds its markup as text.
    line.textContent = document.querySelector('noscript').textContent.replace(/<[^>]*>/g, '').trim();
    document.body.appendChild(line);
};

// The moments of the start, on the page's performance timeline for the bench
// and DevTools: the script runs; the WebAssembly is compiled, instantiated
// and its static data set up.
performance.mark('zentrik-script');
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
    var tile = new Image();
    tile.src = 'background.png';
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
