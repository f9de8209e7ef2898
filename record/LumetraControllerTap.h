#pragma once

class LumetraController;
class LumetraRecorder;

// Records what the controller derives from the readings (output energies and powers, the state
// lamps) and the commands it queues. Kept apart from the recorder so that a recorder on a decoder
// alone needs no controller.
class LumetraControllerTap
{
public:
    static void attach(LumetraRecorder *recorder, LumetraController *controller);
};
