#pragma once

// Window sizes are given in twips; 15 twips make one logical pixel.
constexpr int twips(int t)
{
    return (t + 7) / 15;
}
