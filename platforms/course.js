// A course package's own script, which no other page carries: it tells the
// learning platform's runtime how far the child got, for the standard that
// the <meta> COURSE_STANDARD names. It runs before the program's script and
// puts its listener on the page's window, COURSE_PROGRESS, where the
// program finds it whichever of its shapes runs (the WebAssembly or the
// JavaScript shape, which starts on a Module of its own). The program calls
// it with (letter, built, letters) once the game takes input and after each
// finished letter, and the calls below follow. The platform is a listener
// and nothing more: the game never waits on it, and nothing it does or fails
// to do reaches the child; each kind of failure says one line in the
// console. Within an attempt nothing the platform holds goes back: not the
// status, not the best score, not the furthest letter, whatever a new game
// from A reports.
window[COURSE_PROGRESS] = (function () {
    // Each standard's runtime and data model, by the <meta>'s content.
    var STANDARDS = {
        '1.2': {
            runtime: 'API', begin: 'LMSInitialize', get: 'LMSGetValue', set: 'LMSSetValue', commit: 'LMSCommit',
            end: 'LMSFinish', lastError: 'LMSGetLastError',
            status: 'cmi.core.lesson_status', location: 'cmi.core.lesson_location', time: 'cmi.core.session_time',
            score: 'cmi.core.score.raw', min: 'cmi.core.score.min', max: 'cmi.core.score.max', shares: [],
            statuses: ['passed', 'completed', 'failed', 'incomplete', 'browsed', 'not attempted'],
            finished: ['passed', 'completed'],
            exit: null,
            // CMITimespan: HHHH:MM:SS.SS
            duration: function (h, m, s) { return pad(h) + ':' + pad(m) + ':' + (s < 10 ? '0' : '') + s.toFixed(2); }
        },
        '2004': {
            runtime: 'API_1484_11', begin: 'Initialize', get: 'GetValue', set: 'SetValue', commit: 'Commit',
            end: 'Terminate', lastError: 'GetLastError',
            status: 'cmi.completion_status', location: 'cmi.location', time: 'cmi.session_time',
            score: 'cmi.score.raw', min: 'cmi.score.min', max: 'cmi.score.max',
            shares: ['cmi.score.scaled', 'cmi.progress_measure'],
            statuses: ['completed', 'incomplete', 'not attempted', 'unknown'],
            finished: ['completed'],
            // No resume: the next visit starts at A, as every run does.
            exit: ['cmi.exit', 'normal'],
            // An ISO 8601 duration.
            duration: function (h, m, s) { return 'PT' + h + 'H' + m + 'M' + s.toFixed(2) + 'S'; }
        }
    };
    var meta = document.querySelector('meta[name="' + COURSE_STANDARD + '"]');
    var standard = meta && STANDARDS[meta.content];
    if (!standard)
        return function () {};

    var found;         // {runtime, host}: the runtime and the window that holds it, or null
    var written = {};  // every element's value as the platform holds it
    var score = -1;    // the best score the platform holds, from any run
    var reached = '';  // the furthest letter the platform holds, from any run
    var started = false;  // the platform holds a status of the attempt: it stands until the game is finished
    var finishedBefore = false;
    var begunAt = 0;
    var ended = false;
    var said = {};

    function pad(number) { return (number < 10 ? '0' : '') + number; }

    function sayOnce(kind, text) {
        if (!said[kind]) {
            said[kind] = true;
            console.warn('Zentrik: ' + text);
        }
    }

    // The runtime, as the standards find it: in this window or the frames
    // that hold it, then in the window that opened the page. A window of
    // another origin does not let itself be read, and is passed over.
    function find(name) {
        var starts = [window];
        try {
            starts.push(window.top.opener);
        } catch (error) {}
        for (var i = 0; i < starts.length; ++i) {
            for (var at = starts[i], hops = 0; at && hops < 100; ++hops) {
                try {
                    if (at[name])
                        return {runtime: at[name], host: at};
                } catch (error) {}
                if (at.parent === at)
                    break;
                at = at.parent;
            }
        }
        return null;
    }

    // The runtime's answer to `method`, or undefined where it threw or its
    // window is gone.
    function call(method, args) {
        try {
            if (found.host.closed)
                return undefined;
            return found.runtime[method].apply(found.runtime, args);
        } catch (error) {
            sayOnce('threw', "the learning platform's " + method + ' failed: ' + error);
        }
    }

    function succeeds(method, args) {
        var answer = call(method, args);
        if (answer === true || answer === 'true')
            return true;
        if (answer !== undefined) {
            sayOnce('refused', "the learning platform's " + method + '(' + args.join(', ') + ') answered ' + answer +
                    ', error ' + call(standard.lastError, []));
        }
        return false;
    }

    function read(element) {
        var value = call(standard.get, [element]);
        return typeof value === 'string' ? value : '';
    }

    // Writes only what the platform does not hold yet.
    function write(element, value) {
        if (written[element] !== value && succeeds(standard.set, [element, value]))
            written[element] = value;
    }

    function commit() {
        succeeds(standard.commit, ['']);
    }

    function writeTime() {
        var centiseconds = Math.round((performance.now() - begunAt) / 10);
        var hours = Math.floor(centiseconds / 360000);
        var minutes = Math.floor(centiseconds / 6000) % 60;
        write(standard.time, standard.duration(Math.min(hours, 9999), minutes, centiseconds % 6000 / 100));
    }

    // The attempt ends once, when the page goes for good; a page only hidden,
    // or kept to come back to, saves its time so far, which a tablet that
    // closes a hidden tab would otherwise lose.
    function leave(forGood) {
        if (ended)
            return;
        writeTime();
        if (forGood) {
            if (standard.exit)
                write(standard.exit[0], standard.exit[1]);
            succeeds(standard.end, ['']);
            ended = true;
        } else {
            commit();
        }
    }

    function begin() {
        found = find(standard.runtime);
        if (!found) {
            sayOnce('none', 'no learning platform (' + standard.runtime + ') found; the game tells nobody its progress');
            return;
        }
        begunAt = performance.now();
        succeeds(standard.begin, ['']);
        var status = read(standard.status);
        var known = standard.statuses.indexOf(status) >= 0;
        if (status && !known)
            sayOnce('status', "the learning platform's status " + JSON.stringify(status) + ' is not one the game knows');
        written[standard.status] = status;
        started = known && status !== 'not attempted' && status !== 'unknown';
        finishedBefore = standard.finished.indexOf(status) >= 0;
        var held = parseFloat(read(standard.score));
        score = isNaN(held) ? -1 : held;
        var heldLetter = read(standard.location);
        written[standard.location] = heldLetter;
        reached = /^[A-Z]$/.test(heldLetter) ? heldLetter : '';
        addEventListener('pagehide', function (event) {
            leave(!event.persisted);
        });
        document.addEventListener('visibilitychange', function () {
            if (document.hidden)
                leave(false);
        });
    }

    return function (letter, built, letters) {
        if (found === undefined)
            begin();
        if (!found || ended)
            return;
        if (built === letters && !finishedBefore)
            write(standard.status, 'completed');
        else if (!started)
            write(standard.status, 'incomplete');
        if (letter > reached) {
            reached = letter;
            write(standard.location, letter);
        }
        // The share of the alphabet built, in whole percent, where it beats
        // the best the platform holds.
        var percent = Math.round(100 * built / letters);
        if (built > 0 && percent > score) {
            score = percent;
            write(standard.min, '0');
            write(standard.max, '100');
            write(standard.score, String(percent));
            for (var i = 0; i < standard.shares.length; ++i)
                write(standard.shares[i], String(percent / 100));
        }
        commit();
    };
})();
