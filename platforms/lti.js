// The page's listener where an LTI tool (zentrik-tool) launched it from a
// learning platform: it tells the tool, on the page's own origin, how far
// the child got, and the tool posts the result to the platform's gradebook.
// The tool put the launch's play token in the <meta> PLAY_TOKEN_META; it is
// good for this launch only and is sent in a header, never as a cookie,
// which a browser may refuse a page in another site's frame.
//
// The program calls the listener on the page's window, COURSE_PROGRESS,
// with (letter, built, letters) once the game takes input and after each
// finished letter. Reports go out one at a time, in order; the tool takes
// them at the pace a game can be played and answers a report that came too
// soon, or when it is busy, with the pause to keep, after which the same
// report goes again: nothing the child built is dropped while the page is
// open. The game never waits on the tool, and nothing it does or fails to do
// reaches the child; each kind of failure says one line in the console.
window[COURSE_PROGRESS] = (function () {
    var meta = document.querySelector('meta[name="' + PLAY_TOKEN_META + '"]');
    if (!meta || !meta.content || !window.fetch)
        return function () {};
    var token = meta.content;
    // A failed report waits this long before it goes again, doubling.
    var RETRY_FIRST = 1000;
    var RETRY_MOST = 60000;

    var waiting = [];  // the reports the tool has not taken yet, oldest first
    var sending = false;
    var failures = 0;
    var said = {};

    function sayOnce(kind, text) {
        if (!said[kind]) {
            said[kind] = true;
            console.warn('Zentrik: ' + text);
        }
    }

    function backoff() {
        failures = Math.min(failures + 1, 10);
        return Math.min(RETRY_FIRST * Math.pow(2, failures - 1), RETRY_MOST);
    }

    // The milliseconds until the first report goes again; 0 once it is
    // taken, or refused for good.
    function answered(answer) {
        if (answer.ok) {
            failures = 0;
            waiting.shift();
            return 0;
        }
        if (answer.status === 429 || answer.status === 408 || answer.status >= 500) {
            var seconds = parseInt(answer.headers.get('Retry-After'), 10);
            return seconds > 0 ? seconds * 1000 : backoff();
        }
        // An expired launch, or a report the tool will never take: the
        // platform's link opens a new one.
        sayOnce('refused', 'the tool refused progress (' + answer.status + '); open the game from the platform again');
        waiting.shift();
        return 0;
    }

    function next() {
        if (sending || !waiting.length)
            return;
        sending = true;
        fetch(PROGRESS_PATH, {
            method: 'POST',
            headers: {'Authorization': 'Bearer ' + token, 'Content-Type': 'application/json'},
            body: JSON.stringify(waiting[0]),
            credentials: 'omit',
            cache: 'no-store',
            keepalive: true
        }).then(answered, function (error) {
            sayOnce('unreachable', 'the tool cannot be reached (' + error + '); trying again');
            return backoff();
        }).then(function (wait) {
            sending = false;
            if (wait)
                setTimeout(next, wait);
            else
                next();
        });
    }

    return function (letter, built, letters) {
        waiting.push({built: built, letters: letters});
        next();
    };
})();
