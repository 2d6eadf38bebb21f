// For scripts/run --web without a tracker: the page's navigator.serial becomes one granted port whose far end is
// the simulated tracker (tracker_sim, WebAssembly), as the page's end-to-end tests have it. Never in the shipped page.
(function () {
  'use strict';
  // ?model=N picks the tracker's model (1 to 6; 4 otherwise), as qv3sim's --model does.
  const asked = new URLSearchParams(location.search).get('model');
  const model = /^[1-6]$/.test(asked || '') ? asked : '4';
  const serial = Qv3FakeSerial.createFakeSerial(createTrackerModule());
  serial.ready.then(() => serial.grant(serial.addPort(`--model ${model}`)));
  Object.defineProperty(Navigator.prototype, 'serial', { get: () => serial });
})();
