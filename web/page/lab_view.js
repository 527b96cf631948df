// The lab view: net_lab in the page. Files and examples are loaded into the C++ lab session,
// which trains, measures and keeps the curve; this file wires the controls and draws.
const NcLabView = (() => {
    const tableRows = 10;
    // The canvases' sizes in CSS pixels: the network and the curve as wide as their boxes
    // within these bounds (the network keeps net_tester's shape), the map as its plot needs.
    const networkWidths = {least: 240, most: 640};
    const networkShape = 380 / 500;
    const curveWidths = {least: 240, most: 448};
    const curveHeight = 200;
    const mapSide = 290;

    function create(engine, examples) {
        const lab = engine.lab;
        const element = (id) => document.getElementById(id);
        const networkCanvas = element('network-canvas');
        const networkContext = networkCanvas.getContext('2d');
        const curveContext = element('curve-canvas').getContext('2d');
        const mapCanvas = element('map-canvas');
        const mapContext = mapCanvas.getContext('2d');
        // The lessons offered in the example list, as [network, training, name, line]; the
        // first is loaded at start.
        const exampleChoices = engine.labExamples;
        // What the loaded network came from, as {name, data} (training may be null), and the
        // names it was stored under. Both are written again at each load: a file of the same
        // name, in the creatures view or in the other slot, may have replaced them.
        let files = {network: null, training: null};
        let loaded = {network: '', training: ''};
        let message = '';
        let drawingSeconds = 0;
        let dirty = true;
        // The hidden neuron whose map the map's place shows instead of the output's, by its index
        // among the mapped neurons (0, the output, when none is chosen), and whether a tap
        // holds it there; the last drawing's layout, to find the neuron under a pointer.
        let shownMap = 0;
        let mapHeld = false;
        let layout = {positions: [], radius: 0, names: []};
        let mappedNeurons = [];
        // A lesson opened from a recipe's link: the link's text in full and the held-out share and
        // threshold switch it set, so that a link stays that short text while they stay as set.
        let recipe = null;
        const builder = NcLessonBuilder.create(engine, openRecipe, () => lab.status().layers);

        function load(network, training) {
            files = {network, training};
            recipe = null;
            const networkName = engine.putFile(network.name, network.data);
            const trainingName = training ? engine.putFile(training.name, training.data, networkName) : '';
            loaded = {network: networkName, training: trainingName};
            lab.load(networkName, trainingName, Date.now() >>> 0);
            builder.opened(null);
            element('example-line').textContent = '';
            // A lesson may bring its own held-out share.
            element('held-out-share').value = String(lab.status().heldOutShare);
            message = '';
            shownMap = 0;
            mapHeld = false;
            showProblems();
            dirty = true;
        }

        function loadExample(index) {
            const [network, training, , line] = exampleChoices[index];
            // Stored under the file's own name: the state shows circle.txt, not lessons_circle.txt.
            const example = (name) => (name ? {name: name.split('/').pop(), data: examples[name]} : null);
            element('network-file').value = '';
            element('training-file').value = '';
            load(example(network), example(training));
            element('example-line').textContent = line;
        }

        // A lesson's text, loaded as choosing it as the network file would.
        function loadLesson(text) {
            element('network-file').value = '';
            element('training-file').value = '';
            load({name: 'lesson.txt', data: new TextEncoder().encode(text)}, null);
        }

        // Opens what follows "#lab?" in a link: "lesson=" and a lesson's text, or a recipe's
        // text ("layers=2,4,1&seed=1&..."). Returns why it gives no lesson, or ''.
        function openLink(linkText) {
            const lessonKey = 'lesson=';
            if (linkText.startsWith(lessonKey)) {
                loadLesson(decodeURIComponent(linkText.slice(lessonKey.length)));
                return '';
            }
            const {text, link, reason} = engine.recipeLesson(linkText);
            if (!text)
                return `the link gives no lesson: ${reason}`;
            loadLesson(text);
            // A line as a gallery lesson has, so that the page below it stays where it was.
            element('example-line').textContent = 'A lesson of your own, made with the builder\'s controls; Copy link shares it.';
            const {heldOutShare, learnThresholds} = lab.status();
            recipe = {link, heldOutShare, learnThresholds};
            builder.opened(link);
            return '';
        }

        // A recipe the builder's controls made: opened, and its link in the address bar; a
        // refused one changes nothing and says why.
        function openRecipe(linkText) {
            const problem = openLink(linkText);
            if (problem)
                message = problem;
            else
                history.replaceState(null, '', `#lab?${recipe.link}`);
            dirty = true;
            return problem;
        }

        // The held-out share or the threshold switch changed: a recipe in force follows.
        function recipeFollows(changes) {
            const link = builder.follow(changes);
            if (link === null)
                return;
            const {heldOutShare, learnThresholds} = lab.status();
            recipe = {link, heldOutShare, learnThresholds};
            history.replaceState(null, '', `#lab?${link}`);
        }

        // The link's hash that opens the lesson as it starts: the recipe's text while its
        // settings hold, else the starting lesson's own text; null, with the reason said, when
        // the file format cannot hold it.
        function lessonLink() {
            const {heldOutShare, learnThresholds} = lab.status();
            if (recipe && recipe.heldOutShare === heldOutShare && recipe.learnThresholds === learnThresholds)
                return `#lab?${recipe.link}`;
            const {text, reason} = lab.startingLesson();
            if (reason) {
                message = `no link: ${reason}`;
                return null;
            }
            return `#lab?lesson=${encodeURIComponent(text)}`;
        }

        // The link goes into the address bar, into the field beside the button and, where the
        // browser lets the page write it, onto the clipboard.
        function copyLink() {
            const hash = lessonLink();
            if (hash === null)
                return;
            history.replaceState(null, '', hash);
            element('link-text').value = location.href;
            message = 'the link to this lesson is in the address bar and the field beside Copy link';
            if (navigator.clipboard)
                navigator.clipboard.writeText(location.href).then(() => {
                    message = 'link copied';
                    dirty = true;
                }, () => {});
        }

        // Files chosen in the inputs or dropped on the page, told apart by the slot they came
        // in, never by their names; a lone training file goes with the network loaded now.
        async function loadFiles(networkFile, trainingFile) {
            const read = async (file) => ({name: file.name, data: await NcBindings.readFile(file)});
            const network = networkFile ? await read(networkFile) : files.network;
            const training = trainingFile ? await read(trainingFile) : (networkFile ? null : files.training);
            load(network, training);
        }

        // The chosen data set becomes the loaded network's training file, NAME.csv, as the table
        // net_train --write-data-set writes would; arguments it refuses are named in the state.
        function useDataSet() {
            const name = element('data-set').value;
            const number = (id) => Number(element(id).value);
            const made = engine.dataSet(name, number('data-set-points'), number('data-set-noise'),
                number('data-set-seed'));
            if (made.problem) {
                message = `no data set made: ${made.problem}`;
                dirty = true;
                return;
            }
            load(files.network, {name: `${name}.csv`, data: made.table});
        }

        function showProblems() {
            const list = element('problems');
            list.replaceChildren(...lab.problems().map((line) => {
                const item = document.createElement('li');
                item.textContent = line;
                return item;
            }));
        }

        // Nothing is downloaded for a network the file format cannot hold; the state says why.
        function save(lesson = false) {
            const {text, reason} = lesson ? lab.savedLesson() : lab.savedNetwork();
            if (reason) {
                message = `not saved: ${reason}`;
                return;
            }
            const name = lesson ? 'lesson.txt' : 'trained.txt';
            NcBindings.saveFile(name, text);
            message = `saved ${name} after ${lab.status().passes} passes`;
        }

        // The network as S saves it drives the creatures view's creature, with no download.
        function driveCreature() {
            const {text, reason} = lab.savedNetwork();
            if (reason) {
                message = `no creature driven: ${reason}`;
                return;
            }
            element('drive-creature').blur();
            document.dispatchEvent(new CustomEvent('nc-drive-creature', {detail: {text, passes: lab.status().passes}}));
            location.hash = '#creatures';
        }

        function act(action) {
            switch (action) {
            case 'startPause': lab.startPause(); break;
            case 'onePass': lab.onePass(engine.trainingBudget(drawingSeconds)); break;
            case 'faster': lab.faster(); break;
            case 'slower': lab.slower(); break;
            case 'reset': lab.reset(); message = ''; break;
            case 'save': save(); break;
            case 'saveLesson': save(true); break;
            case 'learnThresholds': lab.setLearnThresholds(!lab.status().learnThresholds); break;
            case 'copyLink': copyLink(); break;
            case 'driveCreature': driveCreature(); break;
            default: return;
            }
            dirty = true;
        }

        function drawTable() {
            const table = element('pattern-table');
            const rows = lab.worstPatterns(tableRows).map((row) => {
                const cells = [row.pattern, NcPageState.fixedNumber(row.error), row.output,
                    NcPageState.shortNumber(row.expected), NcPageState.fixedNumber(row.computed)];
                const line = document.createElement('tr');
                line.replaceChildren(...cells.map((value) => {
                    const cell = document.createElement('td');
                    cell.textContent = value;
                    return cell;
                }));
                return line;
            });
            const head = document.createElement('tr');
            head.replaceChildren(...['pattern', 'error', 'output', 'expected', 'computed'].map((name) => {
                const cell = document.createElement('th');
                cell.textContent = name;
                return cell;
            }));
            table.replaceChildren(head, ...rows);
        }

        // Each canvas at the size its box gives it, read when a box changes size rather than at
        // every drawing, which would make the browser lay the page out again each frame.
        const within = (value, {least, most}) => Math.min(Math.max(value, least), most);
        function fitCanvases() {
            const networkWidth = within(networkCanvas.parentElement.clientWidth, networkWidths);
            const curveCanvas = curveContext.canvas;
            const changed = [
                NcCanvasBox.fit(networkCanvas, networkWidth, networkWidth * networkShape),
                NcCanvasBox.fit(curveCanvas, within(curveCanvas.parentElement.clientWidth, curveWidths), curveHeight),
                NcCanvasBox.fit(mapContext.canvas, mapSide, mapSide)];
            if (changed.includes(true))
                dirty = true;
        }
        fitCanvases();
        new ResizeObserver(fitCanvases).observe(document.querySelector('.lab-layout'));

        // A screen reader reads a canvas's text when asked for it: while training, the texts
        // follow at most once a second rather than each frame.
        const labelEveryMs = 1000;
        let labelledAt = -Infinity;
        function describeCanvases(status, mapTitle, now) {
            if (!now && performance.now() - labelledAt < labelEveryMs)
                return;
            labelledAt = performance.now();
            const label = (canvas, text) => {
                if (canvas.getAttribute('aria-label') !== text)
                    canvas.setAttribute('aria-label', text);
            };
            label(networkCanvas, NcPageState.networkLabel(status.layers));
            label(curveContext.canvas, NcPageState.curveLabel(status));
            label(mapContext.canvas, `${mapTitle}: orange is an output of 0, blue of 1.`);
        }

        // Draws everything; `labelsNow` describes the canvases at once.
        function draw(labelsNow = true) {
            const started = performance.now();
            const status = lab.status();
            const networkSize = NcCanvasBox.size(networkCanvas);
            layout = NcNetworkDrawing.draw(networkContext, lab.network(networkSize.width, networkSize.height));
            element('network-values').textContent = layout.inputs.length > 0
                ? `The values under the neurons are for inputs ${layout.inputs.join(', ')}, the row evaluated last.` : '';
            const maps = lab.maps();
            const mapped = maps.grid > 0;
            mappedNeurons = mapped ? maps.mapped : [];
            if (shownMap >= mappedNeurons.length)
                shownMap = 0;
            mapCanvas.hidden = !mapped;
            mapCanvas.classList.toggle('adding-points', builder.addingPoints());
            element('map-title').hidden = !mapped;
            element('pattern-table').hidden = mapped;
            if (mapped) {
                NcHeatMap.drawHiddenMaps(networkContext, maps, layout, NcNetworkDrawing.rgb(NcNetworkDrawing.computingColor));
                NcHeatMap.drawMap(mapContext, maps, shownMap);
                element('map-title').textContent = shownMap > 0
                    ? `${layout.names[maps.mapped[shownMap]]}: its output over the inputs`
                    : 'The output over the inputs, with the patterns as dots';
            } else {
                drawTable();
            }
            NcLineChart.draw(curveContext, (width, height) => lab.curveDrawing(width, height),
                status.heldOutPatterns > 0, status.errorLimit);
            // The file's "learn_thresholds:" record and the T key set it too.
            element('learn-thresholds').checked = status.learnThresholds;
            // A creature's network has 3 inputs, its sensors, and 4 outputs, its pulls.
            const {layers} = status;
            element('drive-creature').hidden = !(layers.length > 1 && layers[0] === 3 && layers[layers.length - 1] === 4);
            const files = loaded.training ? `${loaded.network} + ${loaded.training}` : loaded.network;
            const lines = [files, ...NcPageState.labLines(status)];
            element('passes').textContent = lines[1];
            element('state').textContent = lines[2];
            element('state-details').textContent = [lines[0], ...lines.slice(3), message].filter(Boolean).join('\n');
            describeCanvases(status, element('map-title').textContent, labelsNow);
            drawingSeconds = (performance.now() - started) / 1000;
        }

        // At full speed training goes on in tasks between the frames, so that the wait for the
        // next frame trains too; the browser still takes keys and clicks between two tasks. A
        // view not shown, or a page in the background, gets no frames: the tasks stop soon after
        // the last one.
        const tasksAfterFrameMs = 100;
        let frameAt = 0;
        let fullSpeed = false;
        let moved = false;  // trained since the last drawing
        let drawnAt = -Infinity;
        let taskPosted = false;
        const between = new MessageChannel();
        function trainBetween() {
            if (fullSpeed && !taskPosted) {
                taskPosted = true;
                between.port2.postMessage(null);
            }
        }
        between.port1.onmessage = () => {
            taskPosted = false;
            if (!fullSpeed || performance.now() - frameAt > tasksAfterFrameMs)
                return;
            fullSpeed = lab.trainFrame(engine.trainingBudget(0));
            moved = true;
            trainBetween();
        };

        function frame(now) {
            frameAt = performance.now();
            fullSpeed = false;
            if (lab.status().state === 'training') {
                fullSpeed = lab.trainFrame(engine.trainingBudget(drawingSeconds));
                moved = true;
                trainBetween();
            }
            lab.takeRates(now);
            if (dirty || (moved && engine.drawingDue(fullSpeed, (now - drawnAt) / 1000, drawingSeconds))) {
                draw(dirty);
                drawnAt = now;
                dirty = false;
                moved = false;
            }
        }

        function step(count) {
            lab.pause();
            lab.train(count, Infinity);
            draw();
        }

        // The held-out errors only while patterns are held out.
        function status() {
            const {passes, maxIterations, state, worstError, meanSquaredError, outputsAreNumbers, heldOutPatterns,
                heldOutWorstError, heldOutMeanSquaredError, layers, learnThresholds, patterns, seed} = lab.status();
            const heldOut = heldOutPatterns > 0 ? {heldOutPatterns, heldOutWorstError, heldOutMeanSquaredError} : {};
            return {view: 'lab', passes, maxIterations, state, worstError, meanSquaredError, outputsAreNumbers,
                ...heldOut, layers, learnThresholds, patterns, heldOut: heldOutPatterns,
                testWorstError: heldOutPatterns > 0 ? heldOutWorstError : null,
                testMeanSquaredError: heldOutPatterns > 0 ? heldOutMeanSquaredError : null, seed};
        }

        // The mapped hidden neuron whose disc holds the pointer's point, by its index among the
        // mapped neurons; 0 when there is none.
        function mapUnder(event) {
            const {x, y} = NcCanvasBox.pointAt(event.target, event);
            for (let index = 1; index < mappedNeurons.length; ++index) {
                const centre = layout.positions[mappedNeurons[index]];
                if (centre && Math.abs(x - centre.x) <= layout.radius && Math.abs(y - centre.y) <= layout.radius)
                    return index;
            }
            return 0;
        }

        function showMap(index, held) {
            if (index === shownMap && held === mapHeld)
                return;
            shownMap = index;
            mapHeld = held;
            dirty = true;
        }

        // A mouse shows the map of the neuron it hovers; a tap or click holds it until the next
        // one, on the same neuron or off every neuron.
        networkCanvas.addEventListener('pointermove', (event) => {
            if (event.pointerType === 'mouse' && !mapHeld)
                showMap(mapUnder(event), false);
        });
        networkCanvas.addEventListener('pointerleave', () => {
            if (!mapHeld)
                showMap(0, false);
        });
        networkCanvas.addEventListener('pointerdown', (event) => {
            const index = mapUnder(event);
            if (index === 0 || (mapHeld && index === shownMap))
                showMap(0, false);
            else
                showMap(index, true);
        });

        const select = element('example');
        exampleChoices.forEach(([, , name, line], index) => {
            const option = document.createElement('option');
            option.value = String(index);
            option.textContent = name;
            option.title = line;
            select.appendChild(option);
        });
        select.addEventListener('change', () => loadExample(Number(select.value)));
        const dataSetSelect = element('data-set');
        for (const name of engine.dataSetNames) {
            const option = document.createElement('option');
            option.value = name;
            option.textContent = name;
            dataSetSelect.appendChild(option);
        }
        element('data-set-use').addEventListener('click', useDataSet);
        element('network-file').addEventListener('change', (event) => {
            loadFiles(event.target.files[0], null);
        });
        element('training-file').addEventListener('change', (event) => {
            loadFiles(null, event.target.files[0]);
        });
        for (const [id, action] of [['start-pause', 'startPause'], ['one-pass', 'onePass'], ['faster', 'faster'],
            ['slower', 'slower'], ['reset', 'reset'], ['save', 'save'],
            ['saveLesson', 'saveLesson'], ['copy-link', 'copyLink'], ['drive-creature', 'driveCreature']])
            element(id).addEventListener('click', () => act(action));
        const shares = element('held-out-share');
        for (const share of engine.heldOutShares) {
            const option = document.createElement('option');
            option.value = String(share);
            option.textContent = share > 0 ? `${Math.round(share * 100)} %` : 'none';
            shares.appendChild(option);
        }
        shares.addEventListener('change', () => {
            lab.holdOut(Number(shares.value));
            recipeFollows({share: shares.value});
            message = '';
            dirty = true;
        });
        element('learn-thresholds').addEventListener('change', (event) => {
            lab.setLearnThresholds(event.target.checked);
            recipeFollows({thresholds: event.target.checked ? '1' : '0'});
            dirty = true;
        });
        // A tap on the map adds a point of the chosen class to the lesson's drawn points. While
        // the data are drawn points, a drag adds a trail of them and the map keeps the touch for
        // it; otherwise the first point comes with the click, so that a swipe scrolls the page.
        const dragSpacing = 0.04;  // inputs between two points a drag adds
        let dragFrom = null;  // the inputs of the point the drag added last
        function addPointUnder(event) {
            const {x, y} = NcCanvasBox.pointAt(mapCanvas, event);
            const at = NcHeatMap.inputsAt(x, y);
            if (at === null || shownMap !== 0)
                return null;
            builder.addPoint(at.input1, at.input2);
            return at;
        }
        mapCanvas.addEventListener('click', (event) => {
            if (!builder.addingPoints())
                addPointUnder(event);
        });
        mapCanvas.addEventListener('pointerdown', (event) => {
            if (!builder.addingPoints())
                return;
            dragFrom = addPointUnder(event);
            mapCanvas.setPointerCapture(event.pointerId);
        });
        mapCanvas.addEventListener('pointermove', (event) => {
            if (dragFrom === null)
                return;
            const {x, y} = NcCanvasBox.pointAt(mapCanvas, event);
            const at = NcHeatMap.inputsAt(x, y);
            if (at && Math.hypot(at.input1 - dragFrom.input1, at.input2 - dragFrom.input2) >= dragSpacing)
                dragFrom = addPointUnder(event);
        });
        for (const end of ['pointerup', 'pointercancel'])
            mapCanvas.addEventListener(end, () => { dragFrom = null; });
        // A link opens its lesson; without one, or when it gives none, the first example opens.
        const linkPrefix = '#lab?';
        const linkProblem = location.hash.startsWith(linkPrefix) ? openLink(location.hash.slice(linkPrefix.length)) : null;
        if (linkProblem !== '') {
            loadExample(0);
            message = linkProblem || '';
        }

        return {
            frame, step, status, act,
            // The current lesson as Save lesson writes it, and a lesson's text loaded as a file.
            lesson: () => lab.savedLesson().text,
            loadLesson: (text) => {
                loadLesson(String(text));
                return status();
            },
            // A link's hash typed or pasted into the address bar.
            openHash: (hash) => {
                if (!hash.startsWith(linkPrefix))
                    return;
                const problem = openLink(hash.slice(linkPrefix.length));
                message = problem;
                dirty = true;
            },
            key: (key) => NcPageState.labAction(key),
            drop: (dropped) => {
                const sorted = NcPageState.sortFiles(dropped.map((file) => file.name));
                if (sorted.network === null && sorted.training === null)
                    return Promise.resolve();
                const at = (index) => (index === null ? null : dropped[index]);
                return loadFiles(at(sorted.network), at(sorted.training));
            },
        };
    }

    return {create};
})();
