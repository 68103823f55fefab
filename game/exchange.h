// One attack of the opponent: the panned swing, the block window, the counter
// window and the outcome.
#pragma once

// True when the player blocked the attack and landed the counter-punch. Does
// not return when the player presses Escape: the play-again question follows.
bool Exchange();
