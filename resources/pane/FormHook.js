// Runs in the isolated world of every page of the pane, out of reach of the page's own
// scripts. A form posted from a page that Reelkeep rendered is not sent anywhere: its body,
// exactly as the browser would post it, goes to the program instead. Links and GET forms
// navigate as usual, and pages from elsewhere are left alone.
(function () {
    'use strict';
    if (location.protocol !== 'rkpage:') return;

    var bridge = null;
    var pending = [];
    new QWebChannel(qt.webChannelTransport, function (channel) {
        bridge = channel.objects.formBridge;
        pending.forEach(function (args) { bridge.submit.apply(bridge, args); });
        pending = [];
    });

    function send(action, type, body) {
        var args = [location.href, action, type, body];
        if (bridge) bridge.submit.apply(bridge, args);
        else pending.push(args);
    }

    // Inputs named "method", "action" or "enctype" hide the form's own properties.
    var formProto = HTMLFormElement.prototype;
    function formProperty(form, name) {
        return Object.getOwnPropertyDescriptor(formProto, name).get.call(form);
    }
    function hasAttribute(element, name) {
        return Element.prototype.hasAttribute.call(element, name);
    }

    function effective(form, submitter) {
        var result = {
            method: formProperty(form, 'method'),
            action: formProperty(form, 'action'),
            enctype: formProperty(form, 'enctype')
        };
        if (submitter) {
            if (hasAttribute(submitter, 'formmethod')) result.method = submitter.formMethod;
            if (hasAttribute(submitter, 'formaction')) result.action = submitter.formAction;
            if (hasAttribute(submitter, 'formenctype')) result.enctype = submitter.formEnctype;
        }
        return result;
    }

    // The browser posts line breaks as CR LF.
    function crlf(text) {
        return String(text).replace(/\r\n|\r|\n/g, '\r\n');
    }

    // The form's entries; the engine leaves out the submitter, so a stand-in takes its place.
    function entries(form, submitter) {
        var standIn = null;
        if (submitter && submitter.name && submitter.type !== 'image') {
            standIn = document.createElement('input');
            standIn.type = 'hidden';
            standIn.name = submitter.name;
            standIn.value = submitter.value;
            if (hasAttribute(submitter, 'form')) {
                standIn.setAttribute('form', submitter.getAttribute('form'));
            }
            submitter.after(standIn);
        }
        try {
            return Array.from(new FormData(form));
        } finally {
            if (standIn) standIn.remove();
        }
    }

    function valueText(value) {
        return typeof value === 'string' ? value : value.name;
    }

    function encode(list, enctype) {
        if (enctype === 'multipart/form-data') {
            var boundary = '----ReelkeepFormBoundary' + Math.random().toString(36).slice(2);
            var parts = list.map(function (entry) {
                var name = crlf(entry[0]).replace(/"/g, '%22');
                var head = '--' + boundary + '\r\nContent-Disposition: form-data; name="' + name + '"';
                if (typeof entry[1] === 'string') return head + '\r\n\r\n' + crlf(entry[1]) + '\r\n';
                return head + '; filename="' + entry[1].name.replace(/"/g, '%22') +
                    '"\r\nContent-Type: ' + (entry[1].type || 'application/octet-stream') +
                    '\r\n\r\n\r\n';
            });
            return {type: enctype + '; boundary=' + boundary,
                    body: parts.join('') + '--' + boundary + '--\r\n'};
        }
        if (enctype === 'text/plain') {
            return {type: enctype, body: list.map(function (entry) {
                return crlf(entry[0]) + '=' + crlf(valueText(entry[1])) + '\r\n';
            }).join('')};
        }
        var params = new URLSearchParams();
        list.forEach(function (entry) { params.append(crlf(entry[0]), crlf(valueText(entry[1]))); });
        return {type: 'application/x-www-form-urlencoded', body: params.toString()};
    }

    function capture(form, submitter, event) {
        var how = effective(form, submitter);
        if (String(how.method).toLowerCase() !== 'post') return;
        event.preventDefault();
        var posted = encode(entries(form, submitter), how.enctype);
        send(how.action, posted.type, posted.body);
    }

    document.addEventListener('submit', function (event) {
        if (event.target instanceof HTMLFormElement) capture(event.target, event.submitter, event);
    }, true);
    // form.submit() fires no submit event; the page's shim raises this one instead.
    document.addEventListener('reelkeep-submit', function (event) {
        if (event.target instanceof HTMLFormElement) capture(event.target, null, event);
    }, true);
})();
