// The creatures view: creature_sim's world in the page at 640 x 480, stepped by the C++
// creature session; the mouse, a finger or the arrow keys move the spotlight. The creature is
// drawn larger than its sensors' span, with its recent path, and its network beside the arena.
const NcCreaturesView = (() => {
    const arenaWidth = 640;  // the world's size; the canvas's backing store follows the screen
    const arenaHeight = 480;
    const lightBaseColor = 100;  // palette entry of light level 0, as the programs' scene has it
    const sensorRing = [0, 0, 63];
    const bodyColor = [0, 58, 0];
    const trailColor = 'rgb(255,170,40)';
    // The creature as drawn, in arena pixels: a body round its place, the sensors at their
    // offsets magnified so that they show apart, the heading beyond the body. Its sensors
    // still read the light at their own pixels.
    const bodyRadius = 16;
    const sensorSpread = 3.5;
    const sensorRadius = 6;
    const headingLength = 30;
    const slowest = 0.01;  // pixels a frame below which the creature keeps its last heading
    const longestTrailStep = 10;  // a longer step is a jump, not a path to draw
    const lightStep = 10;  // pixels an arrow key moves the spotlight, and with Shift
    const lightLongStep = 50;
    const labelSeconds = 0.5;  // the arena's text alternative changes at most this often
    const networkWidth = 320;
    const networkHeight = 260;
    const creatureChoices = ['config_generated.txt', 'follower.txt', 'avoider.txt', 'circler.txt',
        'evolved_follower.txt', 'evolved_avoider.txt', 'evolved_circler.txt'];
    const arrows = {ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1]};

    function create(engine, examples) {
        const session = engine.creatures;
        const element = (id) => document.getElementById(id);
        const canvas = element('arena');
        const context = canvas.getContext('2d');
        const networkContext = element('creature-network').getContext('2d');
        const sprite = {radius: -1, canvas: document.createElement('canvas')};
        let paused = false;
        let lastFrame = 0;
        let lastLabel = -Infinity;
        let dirty = true;
        let heading = -Math.PI / 2;  // up, where its top sensor points, until it moves
        // What drives the creature, as the Creature box and the state line name it.
        let driver = '';
        const evolution = NcEvolutionPanel.create(engine, (name, text) => load(engine.putFile(name, text), `${name} (the evolution's best)`));

        // The arena as wide as its box allows, up to the world's size, and the network at its
        // own; both at the screen's pixels, the arena's drawing in the world's. The box is read
        // when it changes size, not at every frame.
        function fitCanvases() {
            const shown = Math.min(arenaWidth, canvas.parentElement.clientWidth || arenaWidth);
            const changed = [
                NcCanvasBox.fit(canvas, shown, shown * arenaHeight / arenaWidth, {width: arenaWidth, height: arenaHeight}),
                NcCanvasBox.fit(networkContext.canvas, networkWidth, networkHeight)];
            if (changed.includes(true))
                dirty = true;
        }
        fitCanvases();
        new ResizeObserver(fitCanvases).observe(canvas.parentElement);

        // Loads the stored file `name`: one of the box's examples, or a file the box names
        // by `label`.
        function load(name, label = null) {
            session.load(name);
            const problems = session.problems();
            element('creature-problems').replaceChildren(...problems.map((line) => {
                const item = document.createElement('li');
                item.textContent = line;
                return item;
            }));
            const refused = session.scene().networkNot3In4Out;
            driver = refused ? `no creature drives: ${name} was refused` : `${name} drives`;
            const select = element('creature');
            const own = element('creature-own');
            own.hidden = label === null && !refused;
            own.textContent = refused ? `${name} (refused)` : label;
            select.value = own.hidden ? name : own.value;
            heading = -Math.PI / 2;
            dirty = true;
        }

        // The spotlight's sprite as an image, rebuilt when its radius changed.
        function spriteCanvas(scene) {
            if (sprite.radius === scene.spriteRadius)
                return sprite.canvas;
            const side = scene.spriteSide;
            const indices = session.sprite();
            sprite.canvas.width = side;
            sprite.canvas.height = side;
            const spriteContext = sprite.canvas.getContext('2d');
            const image = spriteContext.createImageData(side, side);
            for (let i = 0; i < indices.length; ++i) {
                if (indices[i] === 0)
                    continue;
                const level = indices[i] - lightBaseColor;  // the grey ramp: level k is (k, k, k)
                const grey = (level << 2) | (level >> 4);
                image.data.set([grey, grey, grey, 255], 4 * i);
            }
            spriteContext.putImageData(image, 0, 0);
            sprite.radius = scene.spriteRadius;
            return sprite.canvas;
        }

        // The path, oldest first, fading in towards the creature.
        function drawTrail(scene) {
            const points = session.trail();
            const count = scene.trailCount;
            const capacity = points.length / 2;
            const first = (scene.trailNext - count + capacity) % capacity;
            context.strokeStyle = trailColor;
            context.lineWidth = 3;
            for (let i = 1; i < count; ++i) {
                const from = 2 * ((first + i - 1) % capacity);
                const to = 2 * ((first + i) % capacity);
                if (Math.abs(points[to] - points[from]) + Math.abs(points[to + 1] - points[from + 1]) > longestTrailStep)
                    continue;
                context.globalAlpha = i / count;
                context.beginPath();
                context.moveTo(points[from], points[from + 1]);
                context.lineTo(points[to], points[to + 1]);
                context.stroke();
            }
            context.globalAlpha = 1;
        }

        function disc(x, y, radius) {
            context.beginPath();
            context.arc(x, y, radius, 0, 2 * Math.PI);
        }

        // The body, its heading, and each sensor shaded by the light it read last.
        function drawCreature(scene) {
            const {x, y} = scene;
            if (Math.hypot(scene.vx, scene.vy) > slowest)
                heading = Math.atan2(scene.vy, scene.vx);
            context.lineWidth = 2;
            context.strokeStyle = NcNetworkDrawing.rgb(bodyColor);
            context.fillStyle = 'rgb(20,40,20)';
            disc(x, y, bodyRadius);
            context.fill();
            context.stroke();
            context.beginPath();
            context.moveTo(x + bodyRadius * Math.cos(heading), y + bodyRadius * Math.sin(heading));
            context.lineTo(x + headingLength * Math.cos(heading), y + headingLength * Math.sin(heading));
            context.stroke();
            context.strokeStyle = NcNetworkDrawing.rgb(sensorRing);
            for (let i = 0; i < 3; ++i) {
                // The sensors' offsets from the creature's truncated place, magnified.
                const dx = scene.sensors[2 * i] - Math.trunc(x);
                const dy = scene.sensors[2 * i + 1] - Math.trunc(y);
                context.fillStyle = NcNetworkDrawing.shade(scene.inputs[i]);
                disc(x + sensorSpread * dx, y + sensorSpread * dy, sensorRadius);
                context.fill();
                context.stroke();
            }
        }

        // The network as the lab draws it, and under it the values it was drawn with; nothing
        // for a refused one, which drives nothing.
        function drawNetwork(scene) {
            if (scene.networkNot3In4Out) {
                networkContext.fillStyle = 'black';
                networkContext.fillRect(0, 0, networkWidth, networkHeight);
                element('creature-values').textContent = '';
                return;
            }
            const network = session.network(networkWidth, networkHeight);
            const {inputs} = NcNetworkDrawing.draw(networkContext, network);
            const outputs = [];
            for (let i = 0; i + 3 < network.discs.length; i += 4) {
                if (network.discs[i] >= network.firstOutput)
                    outputs.push(NcPageState.shortNumber(network.discs[i + 3]));
            }
            element('creature-values').textContent = inputs.length === 3 && outputs.length === 4
                ? `sensors left, top, right: ${inputs.join(' ')}\npulls left, right, up, down: ${outputs.join(' ')}`
                : '';
        }

        function describe(status) {
            const at = (point) => `${Math.round(point.x)}, ${Math.round(point.y)}`;
            canvas.setAttribute('aria-label', `Arena: the creature at ${at(status.creature)}, ` +
                `the spotlight at ${at(status.light)}, radius ${status.light.radius}`);
        }

        function draw(now) {
            const scene = session.scene();
            context.fillStyle = 'black';
            context.fillRect(0, 0, arenaWidth, arenaHeight);
            context.drawImage(spriteCanvas(scene), scene.spriteX, scene.spriteY);
            drawTrail(scene);
            drawCreature(scene);
            drawNetwork(scene);
            const sessionStatus = session.status();
            element('creature-line').textContent = NcPageState.creatureLine(sessionStatus, paused, driver);
            if (now - lastLabel >= 1000 * labelSeconds) {
                lastLabel = now;
                describe(sessionStatus);
            }
        }

        function frame(now) {
            if (NcCanvasBox.ratioChanged(canvas))
                fitCanvases();
            if (!paused && now - lastFrame >= 1000 / NcPageState.creatureFramesPerSecond) {
                lastFrame = now;
                session.step(1);
                dirty = true;
            }
            if (dirty)
                draw(now);
            dirty = false;
        }

        // Stepped by hand: everything drawn, the text alternative too, at once.
        function step(count) {
            paused = true;
            session.step(count);
            draw(Infinity);
            lastLabel = -Infinity;
        }

        function status() {
            const {frame: frameNumber, creature, light} = session.status();
            return {view: 'creatures', frame: frameNumber, creature, light, evolution: evolution.status()};
        }

        function moveLight(event) {
            const {x, y} = NcCanvasBox.pointAt(canvas, event);
            session.moveLight(x, y);
            dirty = true;
        }

        const select = element('creature');
        for (const name of creatureChoices) {
            const option = document.createElement('option');
            option.value = name;
            option.textContent = name;
            select.appendChild(option);
        }
        // A file of the user's or the lab's, named as it was loaded; chosen only by loading.
        const own = document.createElement('option');
        own.id = 'creature-own';
        own.value = '';
        own.disabled = true;
        own.hidden = true;
        select.appendChild(own);
        // An example is written again each time: a chosen file of the same name may have replaced it.
        const loadExample = (name) => load(engine.putFile(name, examples[name]));
        const loadChosen = async (file) => {
            const stored = engine.putFile(file.name, await NcBindings.readFile(file));
            load(stored, `${stored} (your file)`);
        };
        select.addEventListener('change', () => {
            element('creature-file').value = '';
            loadExample(select.value);
        });
        element('creature-file').addEventListener('change', (event) => {
            const file = event.target.files[0];
            if (file)
                loadChosen(file);
        });
        // The lab hands over its network, as S would save it, to drive the creature.
        document.addEventListener('nc-drive-creature', (event) => {
            element('creature-file').value = '';
            const {text, passes} = event.detail;
            const stored = engine.putFile('trained.txt', text);
            load(stored, `${stored} (the lab's network after ${passes} passes)`);
        });
        canvas.addEventListener('pointermove', moveLight);
        canvas.addEventListener('pointerdown', moveLight);
        element('creature-pause').addEventListener('click', () => { paused = !paused; dirty = true; });
        loadExample(creatureChoices[0]);

        return {
            frame, step, status,
            // Space pauses; an arrow moves the spotlight (the page's keys are asked only while no
            // control holds the focus).
            key: (key, shift = false) => {
                if (key === ' ')
                    return 'pause';
                if (!arrows[key])
                    return null;
                const length = shift ? lightLongStep : lightStep;
                return {light: arrows[key].map((direction) => direction * length)};
            },
            act: (action) => {
                if (action === 'pause') {
                    paused = !paused;
                } else if (action.light) {
                    const {light} = session.status();
                    session.moveLight(light.x + action.light[0], light.y + action.light[1]);
                }
                dirty = true;
            },
            drop: async (files) => {
                if (files[0])
                    await loadChosen(files[0]);
            },
        };
    }

    return {create};
})();
