// Which keys belong to the page and which to the focused control. A control keeps the focus the
// keyboard gave it, so Space and Enter act on it and arrows move in it; after a pointer used a
// button, a box or a list, the focus goes back to the page, so that Space still starts training.
const NcFocus = (() => {
    const controls = 'button, input, select, textarea, a[href], summary, [contenteditable]';
    // A list opened by a pointer must not lose the focus at its click, only once chosen.
    const releasedAtClick = 'button, input[type="checkbox"]';
    const releasedAtChange = 'select, input[type="checkbox"], input[type="file"]';
    let lastInput = 'key';

    // Whether a key pressed on `target` is the page's: no control holds the focus.
    function pageHasKeys(target) {
        return !(target instanceof Element) || target.closest(controls) === null;
    }

    function start() {
        document.addEventListener('pointerdown', () => { lastInput = 'pointer'; }, true);
        document.addEventListener('keydown', () => { lastInput = 'key'; }, true);
        const release = (kinds) => (event) => {
            const {target} = event;
            if (lastInput === 'pointer' && target instanceof Element && target.matches(kinds) &&
                document.activeElement === target)
                target.blur();
        };
        document.addEventListener('click', release(releasedAtClick));
        document.addEventListener('change', release(releasedAtChange));
    }

    return {pageHasKeys, start};
})();
