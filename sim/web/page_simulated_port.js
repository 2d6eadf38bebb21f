// For scripts/run --web without a tracker: the page's navigator.serial becomes one granted port whose far end is
// the simulated tracker (tracker_sim, WebAssembly), as the page's end-to-end tests have it. Never in the shipped page.
(function () {
  'use strict';
  // ?model=N picks the tracker's model (1 to 6; 4 otherwise), as qv3sim's --model does.
  const asked = new URLSearchParams(location.search).get('model');
  const model = /^[1-6]$/.test(asked || '') ? asked : '4';
  // ?usb=CHIP (cdc, ftdi, cp210x, ch340, pl2303, pl2303gc): an emulated USB adapter of that chip instead, in a
  // browser without Web Serial, for the page's own USB drivers.
  const usb = new URLSearchParams(location.search).get('usb');
  if (/^(cdc|ftdi|cp210x|ch340|pl2303|pl2303gc)$/.test(usb || '')) {
    const fake = Qv3FakeUsb.createFakeUsb(createTrackerModule());
    fake.ready.then(() => fake.grant(fake.addDevice(usb, `--model ${model}`)));
    delete Navigator.prototype.serial;
    Object.defineProperty(Navigator.prototype, 'usb', { get: () => fake });
    return;
  }
  const serial = Qv3FakeSerial.createFakeSerial(createTrackerModule());
  serial.ready.then(() => serial.grant(serial.addPort(`--model ${model}`)));
  Object.defineProperty(Navigator.prototype, 'serial', { get: () => serial });
})();
