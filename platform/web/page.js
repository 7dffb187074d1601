// page.js -- the page's side of the browser's platform, on the page's own thread: the canvas,
// the pointers and keys, and the Web Audio node that plays the program's sound (an audio
// worklet's, or a ScriptProcessorNode's). The program's thread calls in through
// fretstrummerPage; the page calls the program's exported procedures.
var fretstrummerPage = (function () {
  let canvas = null, context = null, ready = false;
  let audio = null, node = null, audioRate = 0, nodeSamples = 0, smallBuffers = false;
  let wakeLock = null, awake = false, midiOutput = null, laidOutLandscape = 0;
  // The program without threads, while it waits for a message: how to wake it.
  let asleep = null;
  // What the node played of the program's sound, once record() is asked for, and where the
  // worklet converts it to the engine's rate, what it sent on: each kept in one array that
  // doubles as it fills, so that recording makes no garbage for the collector to pause the
  // page over.
  function recorder() {
    let samples = new Int16Array(0), length = 0;
    return {
      keep(more) {
        if (length + more.length > samples.length) {
          const size = Math.max(2 * samples.length, 1 << 16, length + more.length);
          const larger = new Int16Array(size);
          larger.set(samples.subarray(0, length));
          samples = larger;
        }
        samples.set(more, length);
        length += more.length;
      },
      clear: () => (length = 0),
      hex: () => hex(new Uint8Array(samples.buffer, 0, length * 2)),
    };
  }
  const played = recorder(), sent = recorder();
  // Each record() starts a new recording: what the worklet played before it is not kept.
  let recording = false, recordingNumber = 0;

  // The virtual-key code of a key by its place (KeyboardEvent.code), from the program's own
  // key table: every printable key holds a chord whatever the layout prints on it.
  let keyCodes = null;
  function keyCode(code) {
    if (!keyCodes) {
      keyCodes = new Map();
      for (let i = 0; i < Module._webKeyCount(); i++)
        keyCodes.set(UTF8ToString(Module._webKeyName(i)), Module._webKeyCode(i));
    }
    return keyCodes.get(code) || 0;
  }

  // The canvas's size on the screen: its pixels scaled by the largest whole factor of the
  // display's own pixels that fits the window.
  function layOut() {
    const ratio = window.devicePixelRatio || 1;
    const scale = Math.max(1, Math.floor(Math.min(innerWidth * ratio / canvas.width,
                                                  innerHeight * ratio / canvas.height)));
    canvas.style.width = canvas.width * scale / ratio + "px";
    canvas.style.height = canvas.height * scale / ratio + "px";
  }

  // The first touch, click or key starts the sound: browsers allow no sooner (iOS not before
  // a touch ends). A context the browser refuses or interrupts is made or resumed again on the
  // next one; the strings and keys go on working meanwhile. Hidden, the page plays nothing.
  const refused = "The browser gave no sound; touch the instrument to try again.";
  function startAudio() {
    holdWakeLock();
    if (!audioRate || document.visibilityState === "hidden") return;
    if (!audio) {
      let made = null;
      try {
        // The smallest buffers the engine's output allows (it rounds the hint up to them);
        // an engine that takes no number for a hint gets the category.
        // In the low-latency mode a worklet plays at the engine's own rate and converts the
        // program's sound itself: Chromium's own conversion held the sound about 20 ms longer
        // on its way to the sound server (a press to the sink, 73 against 53 ms). An engine
        // that runs at the program's rate of its own accord (Firefox here) plays the samples
        // as they are.
        const rate = smallBuffers && page.hasWorklet() ? undefined : audioRate;
        try {
          made = new AudioContext({ sampleRate: rate, latencyHint: 0 });
        } catch (e) {
          made = new AudioContext({ sampleRate: rate, latencyHint: "interactive" });
        }
        if (!page.hasWorklet()) playByScript(made);
      } catch (e) {
        if (made) made.close().catch(() => {});
        node = null;
        page.say(refused);
        return;
      }
      audio = made;
      if (page.hasWorklet())
        made.audioWorklet.addModule(workletSource()).then(
          () => audio === made && playByWorklet(made),
          () => audio === made && (made.close().catch(() => {}), (audio = null), page.say(refused)));
      // A context the system closes (another app took the sound) is made anew on a touch.
      made.onstatechange = () => {
        if (audio === made && made.state === "closed") audio = node = null;
      };
    }
    if (audio.state !== "running")
      audio.resume().then(() => page.unsay(refused), () => page.say(refused));
    else page.unsay(refused);
  }

  // Where there is no worklet: a ScriptProcessorNode pulls the sound on this thread.
  function playByScript(made) {
    node = made.createScriptProcessor(nodeSamples, 0, 1);
    node.onaudioprocess = (event) => {
      const out = event.outputBuffer.getChannelData(0);
      const at = Module._webAudioPull(out.length) >> 1;
      let first = -1;
      for (let i = 0; i < out.length; i++) {
        out[i] = HEAP16[at + i] / 32768;
        if (first < 0 && HEAP16[at + i] !== 0) first = i;
      }
      if (recording) played.keep(HEAP16.subarray(at, at + out.length));
      heard(first, first < 0 ? 0 : event.playbackTime - made.currentTime);
    };
    node.connect(made.destination);
  }

  // The worklet's node on the browser's audio thread (made from this function's text): at each
  // call it plays a quantum of the program's sound from the program's memory, which the program
  // shares with it (audio.cpp's SharedSound). It tells the page what it played while the page
  // records, and when the sound starts and stops.
  function soundWorklet() {
    class Sound extends AudioWorkletProcessor {
      constructor(options) {
        super();
        const shared = options.processorOptions;
        this.counts = new Int32Array(shared.memory, shared.at, 5);
        this.samples = new Int16Array(shared.memory, shared.at + 20, 4096);
        this.quantum = new Int16Array(128);
        // Where the engine plays at a rate of its own: the program's samples each output
        // sample steps over, and the last four taken (the output lies `phase` of the way
        // from the second to the third). What the node took of the program's sound is what
        // it records.
        this.step = shared.rate / sampleRate;
        this.converting = this.step !== 1;
        this.around = new Float64Array(4);
        this.phase = 1;
        this.source = new Int16Array(Math.ceil(128 * this.step) + 2);
        this.sourceLength = 0;
        // While the page records, what the node took (and, converting, sent on) goes to the
        // page a batch at a time: a message for each call made garbage on the audio thread,
        // which the engine must collect there, between calls that are due every few
        // milliseconds. A new recording drops what has not gone.
        this.recording = false;
        this.recordingNumber = 0;
        this.took = new Int16Array(4096);
        this.tookLength = 0;
        this.sentOn = new Int16Array(2048);
        this.sentLength = 0;
        this.sounding = false;
        // Before it takes any sound the node watches the engine's calls for a while: an
        // engine that renders several quanta back to back (Firefox, WebKit) takes them all
        // before anyone can hand over more, so that many are kept ready, and more.
        this.last = -1;
        this.run = 0;
        this.most = 1;
        // While the engine and the program start (compiling, filling caches) they are late
        // more often than later on: four quanta more are kept ready at first, let go one at a
        // time once the sound has come on time for a while.
        this.settling = 4;
        this.watched = 0;
        this.watching = true;
        this.calls = 0;
        this.port.onmessage = (event) => {
          this.recording = event.data.recording;
          this.recordingNumber = event.data.number;
          this.tookLength = this.sentLength = 0;
        };
      }
      // Asks the program to keep the longest run ready, and a quantum more (the runs seen
      // before the first sound may all be shorter than the longest to come). Kept less, what
      // is ready runs down as the node takes it. Converting, the node holds two samples more
      // than it has sent on (the cubic's last two), so two more are kept.
      keepReady() {
        const samples = Math.ceil((this.most + 1 + this.settling) * 128 * this.step) +
                        (this.converting ? 2 : 0);
        const before = Atomics.exchange(this.counts, 3, samples);
        if (before < samples) {
          Atomics.add(this.counts, 2, 1);
          Atomics.notify(this.counts, 2);
        }
      }
      // Whether the node has watched long enough and may take the sound.
      watch() {
        const now = Date.now();
        if (this.last >= 0 && now - this.last >= 3) {
          // The first run is the engine filling its own buffers as it starts.
          if (this.watched++) this.most = Math.max(this.most, this.run);
          this.run = 0;
        }
        this.run++;
        this.last = now;
        // Four runs seen: that many kept ready, and the sound taken from the next run on, once
        // the program has filled what it keeps ready (the first sound whole). Where the clock
        // is too coarse to tell the runs apart, after 100 calls.
        const calls = ++this.calls;
        if (this.watched >= 4) this.keepReady();
        const counts = this.counts, filled = (Atomics.load(counts, 0) - Atomics.load(counts, 1)) | 0;
        if ((this.watched < 5 || filled < Atomics.load(counts, 3)) && calls < 100) return false;
        this.keepReady();
        this.calls = 0;
        return true;
      }
      // The program's samples straight into the quantum; false when they ran short.
      copy(length) {
        const quantum = this.quantum;
        const counts = this.counts, read = Atomics.load(counts, 1);
        const taken = Math.min(length, (Atomics.load(counts, 0) - read) | 0);
        for (let i = 0; i < taken; i++) quantum[i] = this.samples[(read + i) & 4095];
        Atomics.store(counts, 1, (read + taken) | 0);
        quantum.fill(0, taken, length);
        return taken === length;
      }
      // The program's samples converted to the engine's rate, each output sample on the
      // cubic (Catmull-Rom) through the four program samples around it; false when they ran
      // short (silence in their place).
      convert(length) {
        const quantum = this.quantum, source = this.source, samples = this.samples;
        const around = this.around, counts = this.counts, written = Atomics.load(counts, 0);
        let read = Atomics.load(counts, 1), taken = 0, whole = true;
        for (let i = 0; i < length; i++) {
          while (this.phase >= 1) {
            this.phase -= 1;
            around.copyWithin(0, 1);
            let next = 0;
            if (((written - read) | 0) > 0) next = samples[read++ & 4095];
            else whole = false;
            around[3] = source[taken++] = next;
          }
          const t = this.phase, a = around[0], b = around[1], c = around[2], d = around[3];
          const value = b + 0.5 * t * (c - a + t * (2 * a - 5 * b + 4 * c - d +
                                                    t * (3 * (b - c) + d - a)));
          quantum[i] = Math.max(-32768, Math.min(32767, Math.round(value)));
          this.phase += this.step;
        }
        Atomics.store(counts, 1, read | 0);
        this.sourceLength = taken;
        return whole;
      }
      take(length, counted) {
        const whole = this.converting ? this.convert(length) : this.copy(length);
        const counts = this.counts;
        // The engine's runs as it plays (calls more than a millisecond apart start a new one):
        // one a quantum longer than the longest seen, which the quantum more kept ready
        // covered, is kept ready for from then on. A longer one is the engine catching up
        // after it stalled, and is not. The call that ended the watch is counted in its run
        // already: counted again, it made the run it was in a quantum longer than it was.
        if (!counted) {
          const now = Date.now();
          if (now - this.last >= 2) {
            if (this.run === this.most + 1) this.most++, this.keepReady();
            this.run = 0;
          }
          this.run++;
          this.last = now;
        }
        Atomics.add(counts, 2, 1);
        Atomics.notify(counts, 2);
        // Short (the sound came late): a quantum more is kept ready, at most once a while.
        // On time for 300 calls (about two seconds): a quantum of the start's margin less.
        const calls = ++this.calls;
        if (!whole ? calls > 50 : this.settling && calls >= 300) {
          this.calls = 0;
          if (!whole) this.most++;
          else this.settling--;
          this.keepReady();
        }
      }
      keepRecorded(took, tookLength, sent, sentLength) {
        if (this.tookLength + tookLength > this.took.length ||
            this.sentLength + sentLength > this.sentOn.length)
          this.handOver();
        for (let i = 0; i < tookLength; i++) this.took[this.tookLength++] = took[i];
        for (let i = 0; i < sentLength; i++) this.sentOn[this.sentLength++] = sent[i];
      }
      handOver() {
        this.port.postMessage({ number: this.recordingNumber,
                                played: this.took.slice(0, this.tookLength),
                                sent: this.converting ? this.sentOn.slice(0, this.sentLength) : null });
        this.tookLength = this.sentLength = 0;
      }
      process(inputs, outputs) {
        const out = outputs[0][0], length = Math.min(out.length, 128), quantum = this.quantum;
        const watched = this.watching && this.watch();
        if (watched) this.watching = false;
        if (this.watching) quantum.fill(0);
        else this.take(length, watched);
        let first = -1;
        for (let i = 0; i < length; i++) {
          out[i] = quantum[i] / 32768;
          if (first < 0 && quantum[i] !== 0) first = i;
        }
        if (this.recording && !this.converting) this.keepRecorded(quantum, length, null, 0);
        else if (this.recording && !this.watching)
          this.keepRecorded(this.source, this.sourceLength, quantum, length);
        if ((first >= 0) !== this.sounding) {
          this.sounding = first >= 0;
          this.port.postMessage({ sounding: first, at: Date.now() });
        }
        return true;
      }
    }
    registerProcessor("fretstrummer-sound", Sound);
  }
  let workletURL = null;
  function workletSource() {
    if (!workletURL)
      workletURL = URL.createObjectURL(
        new Blob(["(" + soundWorklet.toString() + ")();"], { type: "text/javascript" }));
    return workletURL;
  }

  // The sound through the worklet's node, which reads it from the program's memory.
  function playByWorklet(made) {
    node = new AudioWorkletNode(made, "fretstrummer-sound", {
      numberOfInputs: 0, numberOfOutputs: 1, outputChannelCount: [1],
      processorOptions: { memory: HEAP16.buffer, at: Module._webAudioShared(), rate: audioRate },
    });
    const own = node;
    node.port.onmessage = (event) => {
      if (node !== own) return;
      if (event.data.played) {
        if (!recording || event.data.number !== recordingNumber) return;
        played.keep(event.data.played);
        if (event.data.sent) sent.keep(event.data.sent);
      }
      else heard(event.data.sounding, 0, event.data.at - performance.timeOrigin);
    };
    node.port.postMessage({ recording, number: recordingNumber });
    node.connect(made.destination);
  }

  // When the sound last fell silent, and the bench's probe (bench/measure_web.sh): once armed,
  // the time of the next press, and of the first call of the node after it that carries sound;
  // then how long that sound takes on to the ear, by the engine's own account of its buffers
  // (`buffered`: seconds the node holds before the engine's own). `now` is when the call was:
  // the worklet tells it by the clock, to the millisecond, as its message may come later.
  let quietSince = performance.now(), probe = null;
  function heard(first, buffered, now = performance.now()) {
    if (first < 0) {
      if (!quietSince) quietSince = now;
      return;
    }
    quietSince = 0;
    if (!probe || !probe.pressedAt || probe.heard) return;
    const onward = buffered + first / audio.sampleRate + (audio.baseLatency || 0) +
                   (audio.outputLatency || 0);
    probe.heard = [now - probe.pressedAt, onward * 1000];
  }

  // The screen is kept on while the program asks for it. Browsers grant the lock on a gesture
  // and drop it whenever the page is hidden, so it is asked for again on each.
  function holdWakeLock() {
    if (!awake || wakeLock || !navigator.wakeLock || document.visibilityState !== "visible")
      return;
    wakeLock = "asking";
    navigator.wakeLock.request("screen").then((lock) => {
      wakeLock = lock;
      lock.addEventListener("release", () => { if (wakeLock === lock) wakeLock = null; });
      if (!awake) lock.release();
    }, () => (wakeLock = null));
  }

  // Hands the program an event, and wakes it if it waits for one (the program without
  // threads; the one with threads wakes on its own).
  function tell(procedure, ...values) {
    const result = procedure(...values);
    if (asleep) {
      const wakeUp = asleep;
      asleep = null;
      wakeUp();
    }
    return result;
  }

  function pointer(what, event) {
    const touch = event.pointerType !== "mouse";
    if (!touch && what !== 1 && event.button !== 0) return;
    if (what === 0) {
      if (probe && !probe.pressedAt) probe.pressedAt = event.timeStamp;
      startAudio();
      canvas.setPointerCapture(event.pointerId);
    }
    event.preventDefault();
    const box = canvas.getBoundingClientRect();
    const x = Math.floor((event.clientX - box.left) * canvas.width / box.width);
    const y = Math.floor((event.clientY - box.top) * canvas.height / box.height);
    tell(Module._webPointer, what, touch ? 1 : 0, event.pointerId, x, y, event.buttons);
  }

  function key(down, event) {
    const code = keyCode(event.code);
    if (!code) return;
    if (down) startAudio();
    // The browser's own shortcuts stay the browser's.
    if (!event.ctrlKey && !event.metaKey && !/^F[0-9]+$/.test(event.code)) event.preventDefault();
    tell(Module._webKey, down ? 1 : 0, code, event.altKey ? 1 : 0);
  }

  function listen() {
    canvas.addEventListener("pointerdown", (e) => pointer(0, e));
    canvas.addEventListener("pointermove", (e) => pointer(1, e));
    canvas.addEventListener("pointerup", (e) => { startAudio(); pointer(2, e); });
    canvas.addEventListener("touchend", startAudio);
    canvas.addEventListener("pointercancel", (e) => pointer(2, e));
    canvas.addEventListener("contextmenu", (e) => e.preventDefault());
    addEventListener("keydown", (e) => key(true, e));
    addEventListener("keyup", (e) => key(false, e));
    addEventListener("focus", () => tell(Module._webWindowEvent, 1));
    addEventListener("blur", () => tell(Module._webWindowEvent, 0));
    // Turned, the pad moves below or beside the strings.
    addEventListener("resize", () => {
      const landscape = page.landscape();
      if (landscape !== laidOutLandscape && tell(Module._webTurn, page.touchScreen(), landscape))
        laidOutLandscape = landscape;
      layOut();
    });
    // Hidden, the sound stops and the blocks wait, so nothing is mixed; shown again, it goes on.
    document.addEventListener("visibilitychange", () => {
      const shown = document.visibilityState === "visible";
      if (audio) (shown ? audio.resume() : audio.suspend()).catch(() => {});
      if (shown) holdWakeLock(), tell(Module._webWindowEvent, 2);
    });
    // No pinch or double-tap zoom: a strum would scale the page.
    for (const gesture of ["gesturestart", "dblclick"])
      document.addEventListener(gesture, (e) => e.preventDefault());
  }

  const page = {
    touchScreen: () => (navigator.maxTouchPoints > 0 ? 1 : 0),
    landscape: () => (innerWidth > innerHeight ? 1 : 0),
    makeCanvas(width, height, landscape) {
      canvas = document.getElementById("screen");
      if (!canvas) return 0;
      context = canvas.getContext("2d");
      page.sizeCanvas(width, height);
      laidOutLandscape = landscape;
      listen();
      ready = true;
      return 1;
    },
    sizeCanvas(width, height) {
      canvas.width = width;
      canvas.height = height;
      layOut();
    },
    // A rectangle of blue-green-red pixels at `at` (rows `stride` bytes apart) onto the canvas,
    // at (left + x, top + y).
    show(at, stride, x, y, width, height, left, top) {
      if (!context || width <= 0 || height <= 0) return;
      const image = context.createImageData(width, height), rgba = image.data;
      for (let row = 0; row < height; row++) {
        let from = at + (y + row) * stride + x * 3, to = row * width * 4;
        for (let column = 0; column < width; column++, from += 3, to += 4) {
          rgba[to] = HEAPU8[from + 2];
          rgba[to + 1] = HEAPU8[from + 1];
          rgba[to + 2] = HEAPU8[from];
          rgba[to + 3] = 255;
        }
      }
      context.putImageData(image, left + x, top + y);
    },
    // The program's rate, how many samples the node takes at a time, and whether the program
    // asked for small buffers (its low-latency mode).
    openAudio(rate, samples, small) {
      if (typeof AudioContext === "undefined") return 0;
      audioRate = rate;
      nodeSamples = samples;
      smallBuffers = !!small;
      return 1;
    },
    closeAudio() {
      audioRate = 0;
      if (!audio) return;
      if (node) {
        node.onaudioprocess = null;
        node.disconnect();
      }
      audio.close();
      audio = node = null;
    },
    // Whether the sound comes from an audio worklet, off the page's thread: where the program
    // shares its memory (the program with threads). Without, the page would hand the worklet
    // the sound by messages, from this thread. The engine that needs that here, WebKitGTK,
    // renders a worklet in runs of six to eight quanta (35-46 ms), and this thread, busy with
    // the program and the drawing, now and then answers a run late: fed that way the worklet
    // had to keep 15 quanta ready, and its sound reached the sink about 50 ms later than the
    // ScriptProcessorNode's, which plays whole there.
    hasWorklet: () => typeof AudioWorkletNode === "function" &&
                      typeof SharedArrayBuffer === "function" &&
                      HEAP16.buffer instanceof SharedArrayBuffer,
    // The player's settings are kept in the origin's local storage, one entry a file, and
    // copied into the program's file system when it asks for them. -1 when storage is refused.
    loadSetting(name, path) {
      try {
        const text = localStorage.getItem("fretstrummer/" + name);
        FS.mkdirTree(path.slice(0, path.lastIndexOf("/")));
        if (text !== null) FS.writeFile(path, text);
        return 0;
      } catch (e) {
        return -1;
      }
    },
    saveSetting(path, at, size) {
      try {
        const bytes = HEAPU8.slice(at, at + size);
        localStorage.setItem("fretstrummer/" + path.slice(path.lastIndexOf("/") + 1),
                             new TextDecoder().decode(bytes));
        FS.writeFile(path, bytes);
        return 0;
      } catch (e) {
        return -1;
      }
    },
    // MIDI out through the first output the browser grants. Access is asked for once; until
    // it is granted, and where it is refused, the notes go nowhere and the page says so once.
    midiOpen() {
      if (!navigator.requestMIDIAccess) {
        page.say("This browser has no MIDI: playing without it.");
        return -1;
      }
      navigator.requestMIDIAccess().then(
        (access) => {
          midiOutput = access.outputs.values().next().value || null;
          if (!midiOutput) page.say("No MIDI output is connected: playing without it.");
        },
        () => page.say("MIDI was not allowed: playing without it."),
      );
      return 0;
    },
    midiSend(status, note, velocity) {
      if (midiOutput) midiOutput.send([status, note, velocity]);
    },
    midiClose() {
      midiOutput = null;
    },
    sleeping(wakeUp) {
      asleep = wakeUp;
    },
    // A line on the page for the player (index.html's), until it is taken back.
    say: (text) => fretstrummerNote.say(text),
    unsay: (text) => fretstrummerNote.unsay(text),
    keepAwake(on) {
      awake = !!on;
      if (on) holdWakeLock();
      else if (wakeLock && wakeLock !== "asking") wakeLock.release(), (wakeLock = null);
    },
    ended(code) {
      page.exitCode = code;
      document.body.classList.add("ended");
    },
    exitCode: null,
    // For the tests: whether the instrument is up, the sound's state, what it played (and what
    // it sent on, where it converted it), what the canvas shows.
    ready: () => ready,
    audioState: () => (audio ? audio.state : "none"),
    audioNode: () => (!node ? "none" : node.port ? "worklet" : "script"),
    record() {
      recording = true;
      recordingNumber++;
      played.clear();
      sent.clear();
      if (node && node.port) node.port.postMessage({ recording, number: recordingNumber });
    },
    played: () => played.hex(),
    sent: () => sent.hex(),
    // The canvas's pixels at (x, y, width, height), blue green red, as the program's are.
    frame(x, y, width, height) {
      const rgba = context.getImageData(x, y, width, height).data;
      const bgr = new Uint8Array(width * height * 3);
      for (let i = 0; i < width * height; i++)
        bgr.set([rgba[i * 4 + 2], rgba[i * 4 + 1], rgba[i * 4]], i * 3);
      return hex(bgr);
    },
    // The bench's probe: armed for the next press; how long the sound has been silent (ms);
    // what the press measured: to the callback that carries its sound, and on to the ear (ms);
    // the engine's own account of its buffers.
    probeArm() {
      probe = { pressedAt: 0, heard: null };
    },
    probeLatency: () =>
      audio ? `the engine's sound: ${audio.sampleRate} Hz, base latency ` +
              `${((audio.baseLatency || 0) * 1000).toFixed(2)} ms, output latency ` +
              `${((audio.outputLatency || 0) * 1000).toFixed(2)} ms` : "no sound",
    probeQuiet: () => (quietSince ? performance.now() - quietSince : 0),
    probeHeard: () => (probe && probe.heard ? probe.heard.map((t) => t.toFixed(2)).join(" ") : ""),
    // Where the canvas is in the window, and the size of its pixels, in CSS pixels.
    box() {
      const box = canvas.getBoundingClientRect();
      return [box.left, box.top, box.width / canvas.width].join(" ");
    },
  };
  function hex(bytes) {
    let text = "";
    for (const byte of bytes) text += (byte < 16 ? "0" : "") + byte.toString(16);
    return text;
  }
  return page;
})();
