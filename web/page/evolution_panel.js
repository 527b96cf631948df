// The creatures view's evolution: creature_lab evolve run generation after generation in a
// worker made of the page's own engine, so that the arena keeps its frame rate; the best and
// mean score of every generation plotted, each generation's best handed to the arena to drive,
// and the best so far saved as creature_lab writes it.
const NcEvolutionPanel = (() => {
    // The worker's script, after the engine's text, given the name of the engine's start. A generation runs whole; a message (pause,
    // a new start) is taken between two generations.
    function evolutionWorker(factory) {
        const engine = self[factory]();
        let session = null;
        let running = false;
        let timer = null;

        function go() {
            timer = null;
            if (!running || !session.next()) {
                running = false;
                postMessage({type: 'stopped'});
                return;
            }
            postMessage({type: 'generation', result: session.result(), network: session.generationBestText(),
                best: session.bestText()});
            timer = setTimeout(go, 0);
        }

        self.onmessage = async ({data}) => {
            const module = await engine;
            try {
                take(module, data);
            } catch (error) {
                // Thrown again outside the promise, so that the page hears of it as the worker's error.
                setTimeout(() => { throw error; }, 0);
            }
        };

        function take(module, data) {
            if (data.type === 'start') {
                session = session || new module.EvolutionSession();
                const reason = session.start(data.behaviour, data.population, data.generations, data.seed);
                if (reason) {
                    postMessage({type: 'refused', reason});
                    return;
                }
                postMessage({type: 'started'});
            } else if (data.type === 'pause') {
                running = false;
                return;
            }
            running = session !== null;
            if (running && timer === null)
                timer = setTimeout(go, 0);
        }
    }

    // `drive(name, text)` loads a network file's text into the arena.
    function create(engine, drive) {
        const element = (id) => document.getElementById(id);
        const chart = element('evolve-chart').getContext('2d');
        const limits = engine.evolutionLimits;
        const scores = [];
        const lines = [];
        let best = '';
        let running = false;
        let finished = true;
        let asked = '';  // the settings of the evolution under way, as text
        let worker = null;

        // The plot as wide as the panel allows, read when the panel changes size.
        const chartWidths = {least: 240, most: 480};
        const chartHeight = 200;
        function fitChart() {
            const width = Math.min(Math.max(chart.canvas.parentElement.clientWidth, chartWidths.least), chartWidths.most);
            if (NcCanvasBox.fit(chart.canvas, width, chartHeight))
                show();
        }
        new ResizeObserver(fitChart).observe(chart.canvas.parentElement);

        element('evolve-population').value = limits.population;
        element('evolve-population').min = limits.smallestPopulation;
        element('evolve-population').max = limits.largestPopulation;
        element('evolve-generations').value = limits.generations;
        element('evolve-generations').max = limits.largestGenerations;

        function show(message = '') {
            const state = running ? '' : finished ? ' (done)' : ' (paused)';
            const last = scores.length ? `${lines[lines.length - 1]}${state}` : 'choose a behaviour and press Start';
            element('evolve-line').textContent = message || last;
            element('evolve-lines').textContent = lines.join('\n');
            element('evolve-save').disabled = best === '';
            NcLineChart.drawScores(chart, scores);
            chart.canvas.setAttribute('aria-label', scores.length
                ? `the best and mean score of ${scores.length} generations; ${lines[lines.length - 1]}`
                : 'the best and mean score of every generation: none yet');
        }

        function heard({data}) {
            if (data.type === 'refused') {
                running = false;
                asked = '';
                show(`not started: ${data.reason}`);
                return;
            }
            if (data.type === 'started') {
                scores.length = 0;
                lines.length = 0;
                best = '';
            } else if (data.type === 'generation') {
                scores.push([data.result.best, data.result.mean]);
                lines.push(data.result.line);
                best = data.best;
                finished = data.result.finished;
                drive('generation_best.txt', data.network);
            } else if (data.type === 'stopped') {
                running = false;
            }
            show();
        }

        function post(message) {
            if (worker === null) {
                const script = `${engine.engineSource}\n(${evolutionWorker.toString()})(${JSON.stringify(engine.engineFactory)});\n`;
                worker = new Worker(URL.createObjectURL(new Blob([script], {type: 'text/javascript'})));
                worker.addEventListener('message', heard);
                // The engine failing in the worker (memory refused) ends the evolution, said so.
                worker.addEventListener('error', (event) => {
                    running = false;
                    finished = true;
                    show(`the evolution stopped: ${event.message}`);
                });
            }
            // Running until the worker says it stopped, after the generation under way.
            if (message.type !== 'pause')
                running = true;
            worker.postMessage(message);
            show();
        }

        // Start goes on with a paused evolution whose settings are unchanged, else starts anew.
        element('evolve-start').addEventListener('click', () => {
            const settings = {
                behaviour: element('evolve-behaviour').value,
                population: Number(element('evolve-population').value),
                generations: Number(element('evolve-generations').value), seed: Number(element('evolve-seed').value),
            };
            if (running)
                return;
            const text = JSON.stringify(settings);
            if (text === asked && !finished) {
                post({type: 'go on'});
                return;
            }
            asked = text;
            finished = false;
            post({type: 'start', ...settings});
        });
        element('evolve-pause').addEventListener('click', () => {
            if (running)
                post({type: 'pause'});
        });
        element('evolve-save').addEventListener('click', () => NcBindings.saveFile('evolved.txt', best));
        show();

        return {
            status: () => {
                const last = scores[scores.length - 1] || [null, null];
                return {generation: scores.length, bestScore: last[0], meanScore: last[1], running};
            },
        };
    }

    return {create};
})();
