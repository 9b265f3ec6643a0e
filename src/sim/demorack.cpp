#include "sim/demorack.h"

#include "sim/rackloader.h"

// One card of every family, an empty slot (12) and a card whose model code
// the program does not know (15). Keep docs/simulator.md in step.
QByteArray demoRackJson()
{
    return QByteArrayLiteral(R"json({
  "name": "V9 demo rack",
  "comm": {
    "model": "V9-XS1-A",
    "version": "1.05",
    "mac": ["00-1B-2C", "3D-4E-5F"],
    "items": {
      "9": "300",
      "59": "192.168.0.10", "60": "255.255.255.0",
      "61": "5001", "62": "5002", "63": "5003", "64": "5004",
      "71": "10", "72": "10", "73": "0", "74": "0"
    }
  },
  "slots": {
    "1": {"model": "XD1-K", "version": "1.20",
          "items": {"6": "C", "8": "K(CA)", "37": "1",
                    "13": "0", "14": "12000", "19": "0", "20": "1200"},
          "burnout": ["1"]},
    "2": {"model": "XD2-K", "version": "0.95",
          "items": {"6": "C", "8": "J(IC)",
                    "16": "0", "17": "8000", "28": "0", "29": "800",
                    "18": "0", "19": "4000", "30": "0", "31": "400"},
          "burnout": ["1", "0"]},
    "3": {"model": "XEA1-P", "version": "1.10",
          "items": {"6": "C", "8": "Pt100JIS'97",
                    "13": "-2000", "14": "20000", "21": "-20", "22": "200"},
          "burnout": ["1"]},
    "4": {"model": "XE2-P", "version": "1.10",
          "items": {"6": "F", "8": "Pt100JIS'89"},
          "burnout": ["1", "1"]},
    "5": {"model": "XA1-00", "version": "1.02",
          "items": {"13": "0", "14": "10000", "11": "0.00", "12": "1.000"}},
    "6": {"model": "XB2-10", "version": "1.02",
          "items": {"16": "400", "17": "2000", "18": "0", "19": "1000"}},
    "7": {"model": "XN1-5", "version": "1.00",
          "items": {"24": "1", "21": "0", "22": "300"}},
    "8": {"model": "XPA2-0", "version": "1.00",
          "items": {"37": "1", "38": "2", "32": "0", "33": "500", "34": "0", "35": "500"}},
    "9": {"model": "XPB1-0", "version": "1.00",
          "items": {"24": "2", "21": "0", "22": "600"}},
    "10": {"model": "XL2-0", "version": "1.01",
           "items": {"14": "1000", "15": "2500"}},
    "11": {"model": "XG4-0", "version": "1.00", "states": "0005"},
    "13": {"model": "XG16-0", "version": "1.00", "states": "A5F0"},
    "14": {"model": "XH16-0", "version": "1.00", "states": "00FF"},
    "15": {"model": "ZZ9-00", "version": "1.00"},
    "16": {"model": "XD1A", "version": "1.30",
           "items": {"6": "C", "8": "T(CC)"},
           "burnout": ["0"]}
  }
})json");
}

std::unique_ptr<SimulatedRack> DemoRack()
{
    auto rack = LoadRack(demoRackJson());
    Q_ASSERT_X(rack, "DemoRack", qPrintable(rack.reason()));
    return std::move(*rack);
}
