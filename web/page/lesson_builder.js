// The lab's lesson builder: the controls that make a lesson from nothing (hidden layers and
// their neurons, the training parameters, the seed, the data set or points drawn on the map),
// kept as a recipe's link fields. The engine checks and builds every recipe; this file only
// edits the fields and hands them over.
const NcLessonBuilder = (() => {
    const mostHiddenLayers = 8;
    const mostNeurons = 32;
    const seedLimit = 4294967296;

    // `open(linkText)` opens a recipe's link text in the lab and returns why it gives no
    // lesson, or ''; `loadedLayers()` gives the layer sizes of the network the lab holds.
    function create(engine, open, loadedLayers) {
        const element = (id) => document.getElementById(id);
        // The fields of the recipe in force, as its link writes them; null while the lab holds a
        // lesson from a file or an example.
        let fields = null;

        const linkText = (recipe) => Object.entries(recipe).map(([key, value]) => `${key}=${value}`).join('&');

        function parse(link) {
            return Object.fromEntries(link.split('&').map((field) => {
                const at = field.indexOf('=');
                return [field.slice(0, at), field.slice(at + 1)];
            }));
        }

        // The recipe in force, or the engine's default recipe to start from, with the loaded
        // network's layers where a recipe can hold them.
        function current() {
            if (fields)
                return fields;
            const start = parse(engine.recipeLesson('').link);
            const layers = loadedLayers();
            const hidden = layers.slice(1, -1);
            if (layers[0] === 2 && layers[layers.length - 1] === 1 && hidden.length <= mostHiddenLayers &&
                hidden.every((neurons) => neurons <= mostNeurons))
                start.layers = layers.join(',');
            return start;
        }

        function showControls() {
            const shown = current();
            const layers = shown.layers.split(',').map(Number);
            const list = element('hidden-layers');
            list.replaceChildren(...layers.slice(1, -1).map((neurons, index) => {
                const item = document.createElement('span');
                item.className = 'hidden-layer';
                item.append(`hidden ${index + 1}: ${neurons} `);
                for (const [text, change] of [['−', -1], ['+', 1]]) {
                    const button = document.createElement('button');
                    button.id = `neurons-${change < 0 ? 'fewer' : 'more'}-${index + 1}`;
                    button.textContent = text;
                    button.title = `${change < 0 ? 'one neuron fewer' : 'one neuron more'} in hidden layer ${index + 1}`;
                    button.disabled = neurons + change < 1 || neurons + change > mostNeurons;
                    button.addEventListener('click', () => {
                        layers[index + 1] += change;
                        change_fields({layers: layers.join(',')});
                    });
                    item.append(button);
                }
                return item;
            }));
            element('add-layer').disabled = layers.length - 2 >= mostHiddenLayers;
            element('remove-layer').disabled = layers.length <= 2;
            for (const [id, key] of [['rate', 'rate'], ['slope', 'slope'], ['error-limit', 'limit'],
                ['iteration-limit', 'iterations'], ['network-seed', 'seed']])
                element(id).value = shown[key];
            if (shown.data !== 'drawn') {
                element('data-set').value = shown.data;
                element('data-set-points').value = shown.points;
                element('data-set-noise').value = shown.noise;
                element('data-set-seed').value = shown.dataseed;
            }
        }

        // Opens the recipe with `changes` made; a recipe the engine refuses changes nothing and
        // says why.
        function change_fields(changes) {
            const next = {...current(), ...changes};
            return open(linkText(next));
        }

        const layersOf = () => current().layers.split(',').map(Number);
        element('add-layer').addEventListener('click', () => {
            const layers = layersOf();
            layers.splice(layers.length - 1, 0, layers[layers.length - 2] > 1 ? layers[layers.length - 2] : 4);
            change_fields({layers: layers.join(',')});
        });
        element('remove-layer').addEventListener('click', () => {
            const layers = layersOf();
            layers.splice(layers.length - 2, 1);
            change_fields({layers: layers.join(',')});
        });
        for (const [id, key] of [['rate', 'rate'], ['slope', 'slope'], ['error-limit', 'limit'],
            ['iteration-limit', 'iterations'], ['network-seed', 'seed']])
            element(id).addEventListener('change', (event) => change_fields({[key]: event.target.value}));
        element('new-weights').addEventListener('click', () =>
            change_fields({seed: String((Number(current().seed) + 1) % seedLimit)}));
        element('regenerate').addEventListener('click', () => {
            const made = current();
            change_fields({data: element('data-set').value, points: element('data-set-points').value,
                noise: element('data-set-noise').value, dataseed: String((Number(made.dataseed || 0) + 1) % seedLimit)});
        });
        element('clear-points').addEventListener('click', () => change_fields({data: 'drawn', drawn: ''}));

        return {
            // The lab opened a recipe (its link in full) or, with null, a lesson of its own.
            opened(link) {
                fields = link === null ? null : parse(link);
                showControls();
            },
            // A tap on the map at inputs (x, y): a point of the chosen class; the data become the
            // drawn points if they were a data set.
            addPoint(x, y) {
                const point = engine.drawnPointAt(x, y, Number(element('point-class').value));
                const made = current();
                const drawn = made.data === 'drawn' && made.drawn ? made.drawn.split(';') : [];
                drawn.push(`${point.x},${point.y},${point.category}`);
                return change_fields({data: 'drawn', drawn: drawn.join(';')});
            },
            // Whether the lesson's data are points drawn on the map, to which a drag adds.
            addingPoints: () => fields !== null && fields.data === 'drawn',
            // The held-out share or the threshold switch changed in the lab: the recipe follows,
            // and its link text is returned; null while no recipe is in force.
            follow(changes) {
                if (!fields)
                    return null;
                Object.assign(fields, changes);
                return linkText(fields);
            },
        };
    }

    return {create};
})();
