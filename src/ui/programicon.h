#pragma once

class QIcon;

// V9CON's own icon, drawn for it as SVG and rendered at the sizes window
// frames and task bars ask for.
QIcon ProgramIcon();
