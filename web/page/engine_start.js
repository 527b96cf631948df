// Starts the engine behind the "Starting the engine" line and, where the browser has no
// WebAssembly or the engine does not start, shows the panel saying so in place of the views.
const NcEngineStart = (() => {
    // A browser without it, and one that refused the engine, each in words a student knows.
    const missingReason = 'This browser cannot run WebAssembly, which the page needs to train its networks and ' +
        'move its creatures.';
    const failedReason = 'The part of the page that trains the networks and moves the creatures (its ' +
        'WebAssembly engine) did not start in this browser.';

    function fail(reason, detail) {
        document.getElementById('engine-failed-reason').textContent = reason;
        document.getElementById('engine-failed-detail').textContent = detail;
        document.getElementById('engine-starting').hidden = true;
        document.getElementById('engine-failed').hidden = false;
        document.body.dataset.engine = 'failed';
        return null;
    }

    // The engine of `build` as {build, engine}; where a browser passes the SIMD probe yet refuses
    // SIMD instructions the engine has, the plain build's. Throws where none starts.
    async function startBuild(build) {
        try {
            return {build, engine: await NcBindings.start(build)};
        } catch (error) {
            if (build !== 'simd')
                throw error;
            return {build: 'plain', engine: await NcBindings.start('plain')};
        }
    }

    // The engine's sessions and calls, or null once the panel is shown. While it starts, the
    // views are hidden (body's data-engine is "starting"); then it names the build started.
    async function start() {
        if (typeof WebAssembly !== 'object')
            return fail(missingReason, '');
        let started;
        try {
            started = await startBuild(NcBindings.engineBuild(location.search));
        } catch (error) {
            return fail(failedReason, `What the browser said: ${String(error && error.message || error)}`);
        }
        document.getElementById('engine-starting').hidden = true;
        document.body.dataset.engine = started.build;
        return started.engine;
    }

    return {start};
})();
