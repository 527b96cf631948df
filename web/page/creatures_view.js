// The creatures view: creature_sim's world in the page at 640 x 480, stepped by the C++
// creature session; the mouse or a finger moves the spotlight.
const NcCreaturesView = (() => {
    const lightBaseColor = 100;  // palette entry of light level 0, as the programs' scene has it
    const sensorInner = [0, 0, 63];
    const sensorOuter = [0, 58, 0];
    // Pixels of Allegro's circles of radius 1 and 2 round a sensor.
    const innerRing = [[1, 0], [-1, 0], [0, 1], [0, -1]];
    const outerRing = [[2, 0], [-2, 0], [0, 2], [0, -2], [1, 2], [-1, 2], [1, -2], [-1, -2],
        [2, 1], [-2, 1], [2, -1], [-2, -1]];
    const creatureChoices = ['config_generated.txt', 'follower.txt', 'avoider.txt', 'circler.txt',
        'evolved_follower.txt', 'evolved_avoider.txt', 'evolved_circler.txt'];

    function create(engine, examples) {
        const session = engine.creatures;
        const element = (id) => document.getElementById(id);
        const canvas = element('arena');
        const context = canvas.getContext('2d');
        const sprite = {radius: -1, canvas: document.createElement('canvas')};
        let paused = false;
        let lastFrame = 0;
        let dirty = true;
        const evolution = NcEvolutionPanel.create(engine, (name, text) => load(engine.putFile(name, text)));

        function load(name) {
            session.load(name);
            element('creature-problems').replaceChildren(...session.problems().map((line) => {
                const item = document.createElement('li');
                item.textContent = line;
                return item;
            }));
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

        function draw() {
            const scene = session.scene();
            context.fillStyle = 'black';
            context.fillRect(0, 0, canvas.width, canvas.height);
            context.drawImage(spriteCanvas(scene), scene.spriteX, scene.spriteY);
            for (let i = 0; i < 6; i += 2) {
                const [x, y] = [scene.sensors[i], scene.sensors[i + 1]];
                for (const [ring, color] of [[innerRing, sensorInner], [outerRing, sensorOuter]]) {
                    context.fillStyle = NcNetworkDrawing.rgb(color);
                    for (const [dx, dy] of ring)
                        context.fillRect(x + dx, y + dy, 1, 1);
                }
            }
            element('creature-line').textContent = NcPageState.creatureLine(session.status(), paused);
        }

        function frame(now) {
            if (!paused && now - lastFrame >= 1000 / NcPageState.creatureFramesPerSecond) {
                lastFrame = now;
                session.step(1);
                dirty = true;
            }
            if (dirty)
                draw();
            dirty = false;
        }

        function step(count) {
            paused = true;
            session.step(count);
            draw();
        }

        function status() {
            const {frame: frameNumber, creature, light} = session.status();
            return {view: 'creatures', frame: frameNumber, creature, light, evolution: evolution.status()};
        }

        function moveLight(event) {
            const {x, y} = NcPageState.canvasPoint(canvas, event);
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
        // An example is written again each time: a chosen file of the same name may have replaced it.
        const loadExample = (name) => load(engine.putFile(name, examples[name]));
        select.addEventListener('change', () => {
            element('creature-file').value = '';
            loadExample(select.value);
            select.blur();
        });
        element('creature-file').addEventListener('change', async (event) => {
            const file = event.target.files[0];
            if (file)
                load(engine.putFile(file.name, await NcBindings.readFile(file)));
        });
        canvas.addEventListener('pointermove', moveLight);
        canvas.addEventListener('pointerdown', moveLight);
        element('creature-pause').addEventListener('click', () => { paused = !paused; dirty = true; });
        loadExample(creatureChoices[0]);

        return {
            frame, step, status,
            key: (key) => (key === ' ' ? 'pause' : null),
            act: (action) => {
                if (action === 'pause') {
                    paused = !paused;
                    dirty = true;
                }
            },
            drop: async (files) => {
                if (files[0])
                    load(engine.putFile(files[0].name, await NcBindings.readFile(files[0])));
            },
        };
    }

    return {create};
})();
