// Runs before the compiled game. A browser that cannot run it (no
// WebAssembly, or a WebAssembly without what the game needs) aborts before
// the scene stands: then the page shows the line its <noscript> holds, which
// says what the page needs, in place of a blank page.
Module['onAbort'] = function () {
    if (document.getElementById('Form1'))
        return;
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
};
