// The page's start: the engine, the two views, the tabs and the URL hash, keys, dropped
// files, the frame loop, and the test surface window.ncStatus() / window.ncStep(n).
(async () => {
    const examples = JSON.parse(document.getElementById('examples').textContent);
    const engine = await NcEngineStart.start();
    if (engine === null)
        return;
    const views = {
        lab: NcLabView.create(engine, examples),
        creatures: NcCreaturesView.create(engine, examples),
    };
    let current = 'lab';

    function show(view) {
        current = view;
        for (const name of Object.keys(views)) {
            document.getElementById(`${name}-view`).hidden = name !== view;
            document.getElementById(`tab-${name}`).classList.toggle('chosen', name === view);
        }
    }

    window.addEventListener('hashchange', () => {
        show(NcPageState.viewFromHash(location.hash));
        views.lab.openHash(location.hash);
    });
    show(NcPageState.viewFromHash(location.hash));

    NcFocus.start();
    document.addEventListener('keydown', (event) => {
        if (event.ctrlKey || event.altKey || event.metaKey || !NcFocus.pageHasKeys(event.target))
            return;
        const action = views[current].key(event.key, event.shiftKey);
        if (action === null)
            return;
        event.preventDefault();
        views[current].act(action);
    });

    document.addEventListener('dragover', (event) => event.preventDefault());
    document.addEventListener('drop', (event) => {
        event.preventDefault();
        views[current].drop(Array.from(event.dataTransfer.files));
    });

    function frame(now) {
        views[current].frame(now);
        requestAnimationFrame(frame);
    }
    requestAnimationFrame(frame);

    // For tests, ours and anyone's: the state without parsing pixels, and exact stepping.
    window.ncStatus = () => views[current].status();
    // A count the C++ side cannot hold would wrap around, so it is refused, as is anything but
    // a whole number from 0 on.
    window.ncStep = (count) => {
        const passes = Number(count);
        if (!Number.isInteger(passes) || passes < 0 || passes > NcPageState.mostStepsAtOnce)
            throw new RangeError(`ncStep: ${String(count)} is not a whole number from 0 to ${NcPageState.mostStepsAtOnce}`);
        views[current].step(passes);
        return window.ncStatus();
    };
    // The lab's lesson as lesson.txt's text, and a lesson's text loaded as choosing the file.
    window.ncLesson = () => views.lab.lesson();
    window.ncLoadLesson = (text) => views.lab.loadLesson(text);
    document.body.dataset.ready = 'true';
})();
