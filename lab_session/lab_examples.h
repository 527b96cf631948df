// The lessons the lab's gallery offers: each a network file with its training records (or a
// network file and a training file), a friendly name and one line on what it shows. Files are
// named from the examples folder. Networks without patterns, the creatures, are not lessons.
#ifndef LAB_SESSION_LAB_EXAMPLES_H
#define LAB_SESSION_LAB_EXAMPLES_H

struct LabExample {
    const char* network;
    const char* training;  // "" when the network file holds the training records
    const char* name;
    const char* line;      // what the lesson shows, in one line
};

// The page loads the first at start. scripts/make_lessons.py writes the files in lessons/.
constexpr LabExample lab_examples[] = {
    {"exclusive_or_training.txt", "", "Exclusive-or",
     "Exclusive-or needs a hidden layer: two hidden neurons learn the four patterns"},
    {"lessons/no_hidden_layer.txt", "", "Exclusive-or without a hidden layer",
     "One neuron draws one straight line, and no line parts exclusive-or's classes"},
    {"lessons/two_clouds.txt", "", "Two clouds",
     "Two clouds of points apart need one neuron: its line runs between them"},
    {"lessons/circle_two_neurons.txt", "", "A circle with two hidden neurons",
     "Two straight lines cannot fence a circle in: training reaches its limit"},
    {"lessons/circle.txt", "", "A circle",
     "A circle needs several hidden neurons: six lines fence it in"},
    {"lessons/spirals.txt", "", "Spirals",
     "Spirals need depth: a second hidden layer bends the first one's lines into curves"},
    {"lessons/over_fitting.txt", "", "Over-fitting",
     "Held-out points show over-fitting: the network learns the noise of its training points"},
    {"exclusive_or.txt", "exclusive_or_patterns.csv", "Exclusive-or from a table",
     "Your own data: a network file trained on the patterns of a CSV table"},
    {"follower_training.txt", "", "A creature that follows the light",
     "Three light sensors pull four ways: the table lists the worst of its eleven patterns"},
};

#endif
