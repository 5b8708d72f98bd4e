// The tool's side of a learning platform's storage for its frame (LTI's
// client-side postMessage storage), on the two pages a login goes through
// where the platform offers it: the login puts the login's binding there
// before the frame goes on to the platform, and the launch reads it back
// and posts it with the platform's form, for a browser that keeps no cookie
// in another site's frame. What each page does is in its <body>'s data-*:
//   data-storage-target  "_parent", or the name of a frame beside the tool's
//   data-platform-origin the only origin spoken to and heard from
//   data-key             the login's key
//   data-value, data-next  on the login: the value to put, and where to go
//                        then, whether or not the platform kept it
//   (the launch)         the form to post, with its browser_proof field,
//                        and the own-window link to show if the platform
//                        cannot give the value back
(function () {
    // How long the platform may take to answer.
    var WAIT = 3000;
    var page = document.body.dataset;

    function storage() {
        try {
            return page.storageTarget === '_parent' ? window.parent : window.parent.frames[page.storageTarget];
        } catch (error) {
            return null;
        }
    }

    function messageId() {
        var bytes = new Uint8Array(16);
        crypto.getRandomValues(bytes);
        return 'zentrik-' + Array.prototype.map.call(bytes, function (b) { return (b + 256).toString(16).slice(1); }).join('');
    }

    // Sends the message to the platform's storage and calls then(value),
    // the answer's value, or null where the platform refused, did not
    // answer in time, or is not there.
    function ask(message, then) {
        var id = messageId();
        var done = false;
        function finish(value) {
            if (done)
                return;
            done = true;
            removeEventListener('message', heard);
            then(value);
        }
        function heard(event) {
            var answer = event.data;
            if (event.origin !== page.platformOrigin || !answer || answer.message_id !== id ||
                answer.subject !== message.subject + '.response')
                return;
            finish(answer.error || typeof answer.value !== 'string' ? null : answer.value);
        }
        addEventListener('message', heard);
        message.message_id = id;
        var target = storage();
        if (!target) {
            finish(null);
            return;
        }
        target.postMessage(message, page.platformOrigin);
        setTimeout(function () { finish(null); }, WAIT);
    }

    if (page.next) {
        ask({subject: 'lti.put_data', key: page.key, value: page.value}, function () {
            location.replace(page.next);
        });
        return;
    }
    ask({subject: 'lti.get_data', key: page.key}, function (value) {
        if (value) {
            var form = document.forms[0];
            form.elements.browser_proof.value = value;
            form.submit();
        } else {
            document.getElementById('own-window').hidden = false;
            document.getElementById('checking').hidden = true;
        }
    });
})();
