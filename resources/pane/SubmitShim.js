// Runs in the page's own world: form.submit() sends without any event, so it first raises a
// cancelable "reelkeep-submit" that the program's hook can take.
(function () {
    'use strict';
    if (location.protocol !== 'rkpage:') return;
    var submit = HTMLFormElement.prototype.submit;
    HTMLFormElement.prototype.submit = function () {
        var event = new CustomEvent('reelkeep-submit', {bubbles: true, cancelable: true});
        this.dispatchEvent(event);
        if (!event.defaultPrevented) submit.call(this);
    };
})();
