// The picture files for the program: each of `names` from `folder`, fetched
// a request a task, for a request takes the page's thread a while on a slow
// tablet and sixteen at once would hold it up; or, where the page holds them
// (the single file, pre.js), taken from the page in one task. Once every one
// is settled, `done` is called, in a task of its own, with the folder's full
// address, the bytes of each file that came and why each other did not, both
// by name. A file larger than `limit` bytes (a server's mistake, a picture
// being a few hundred) is given up as it comes, before it fills the memory of
// a small tablet.
Module[FETCH_PICTURES] = function (folder, names, limit, done) {
    var files = {}, failures = {}, pending = names.length;
    if (heldFiles) {
        // The page holds them (pre.js): no request, the same handing over.
        names.forEach(function (name) {
            try {
                var bytes = heldBytes(folder + name);
                if (bytes)
                    files[name] = bytes;
                else
                    failures[name] = 'the page does not hold it';
            } catch (error) {
                failures[name] = 'the page holds it damaged';
            }
        });
        setTimeout(done, 0, document.baseURI.replace(/[?#].*$/, '') + '#' + folder, files, failures);
        return;
    }
    names.forEach(function (name) {
        setTimeout(function () {
            fetch(folder + name).then(function (response) {
                if (!response.ok)
                    throw 'the server answered ' + response.status + (response.statusText ? ' ' + response.statusText : '');
                return readAll(response.body.getReader(), limit);
            }).then(function (bytes) {
                files[name] = bytes;
            }, function (reason) {
                failures[name] = typeof reason === 'string' ? reason : 'the server could not be reached';
            }).then(function () {
                if (--pending === 0)
                    setTimeout(done, 0, new URL(folder, document.baseURI).href, files, failures);
            });
        }, 0);
    });
};

// The bytes `reader` reads, in one array, or a reason where they pass `limit`.
function readAll(reader, limit) {
    var parts = [], size = 0;
    function next(part) {
        if (part.done) {
            var bytes = new Uint8Array(size), at = 0;
            parts.forEach(function (piece) {
                bytes.set(piece, at);
                at += piece.length;
            });
            return bytes;
        }
        size += part.value.length;
        if (size > limit) {
            reader.cancel();
            throw 'the server sent more than ' + (limit >> 20) + ' MiB';
        }
        parts.push(part.value);
        return reader.read().then(next);
    }
    return reader.read().then(next);
}
