// page_web.js: the page around the WebAssembly core. It reads the settings (the URL's query,
// then whatever a wallpaper host sends), draws the text with the browser's fonts into the
// raster the core's band rules squeeze, and puts the field-sized image the core hands back
// on a canvas the browser scales. It draws nothing while the page is hidden or its host
// has paused it.

var vapryx = (window.vapryx = { frames: 0, seed: 0, ready: false, paused: false });

(function () {
  'use strict';
  var canvas = document.getElementById('field');
  var context = canvas.getContext('2d', { alpha: false });
  var fpsBox = document.getElementById('fps');
  var image = 0;       // the field-sized RGBA image in the module's memory
  var width = 0, height = 0;
  var frameRequest = 0;
  var lastFrame = -Infinity;
  var hostFrameLimit = 0;  // frames a second a host allows, 0 for none
  var pending = [];        // settings that came before the module was ready
  var applying = false;
  var counted = { frames: 0, since: 0 };

  function warn(text) { console.warn('vapryx: ' + text); }

  // One setting by its option name; a bad one keeps what the setting had, with a warning.
  function setOption(name, value) {
    if (!vapryx.ready) { pending.push([name, value]); return; }
    var taken = ccall('vapryx_option', 'number', ['string', 'string'], [name, String(value)]);
    if (taken < 0) warn(UTF8ToString(_vapryx_message()));
    if (taken === 0) warn("no setting named '" + name + "'");
    if (taken > 0 && name === 'color') resolveColorName();
    scheduleApply();
  }

  // A colour given by name: the browser knows the CSS names.
  function resolveColorName() {
    var name = UTF8ToString(_vapryx_color_name());
    if (!name) return;
    var probe = document.createElement('canvas').getContext('2d');
    probe.fillStyle = '#010203';
    probe.fillStyle = name;
    var css = probe.fillStyle;
    if (css === '#010203' || css.charAt(0) !== '#') {
      warn("unknown colour '" + name + "'");
      ccall('vapryx_option', 'number', ['string', 'string'], ['color', 'ffffff']);
      return;
    }
    ccall('vapryx_option', 'number', ['string', 'string'], ['color', css.slice(1)]);
  }

  function scheduleApply() {
    if (applying) return;
    applying = true;
    setTimeout(function () {
      applying = false;
      var what = _vapryx_apply();
      fpsBox.hidden = !_vapryx_show_fps();
      if (what === 2) prepare();
      if (what === 1 && !frameRequest) {  // a paused page shows its new colour too
        _vapryx_ramp();
        show();
      }
    }, 0);
  }

  var generic = ['serif', 'sans-serif', 'monospace', 'cursive', 'fantasy', 'system-ui'];

  function cssFamily(font) {
    if (generic.indexOf(font.toLowerCase()) >= 0) return font.toLowerCase();
    return '"' + font.replace(/["\\]/g, '\\$&') + '"';
  }

  // Whether the browser has the family: text in it measures otherwise than in the
  // fallbacks it would stand in for.
  function installed(font, probe) {
    var family = cssFamily(font);
    if (family.charAt(0) !== '"') return true;
    var sample = 'mmmmmmmmmmlli10WQ@#';
    var differs = false;
    ['monospace', 'serif', 'sans-serif'].forEach(function (fallback) {
      probe.font = '72px ' + fallback;
      var plain = probe.measureText(sample).width;
      probe.font = '72px ' + family + ', ' + fallback;
      if (probe.measureText(sample).width !== plain) differs = true;
    });
    return differs;
  }

  // The text white on black at an em height of 140 pixels, measured as the other front ends
  // measure (its advance plus 50 black columns either side, the face's ascent plus descent
  // high), thresholded to ink, into the module's memory.
  function rasterText(text, font) {
    var c = document.createElement('canvas');
    var g = c.getContext('2d', { willReadFrequently: true });
    var css = installed(font, g) ? '140px ' + cssFamily(font) : '900 140px sans-serif';
    g.font = css;
    var m = g.measureText(text);
    var ascent = Math.ceil(m.fontBoundingBoxAscent), descent = Math.ceil(m.fontBoundingBoxDescent);
    var cx = Math.min(Math.round(m.width), 30000) + 100, cy = ascent + descent;
    if (!(cx > 0 && cy > 0)) return { ink: 0, cx: 0, cy: 0, font: css };
    c.width = cx;
    c.height = cy;
    g.fillStyle = '#000';
    g.fillRect(0, 0, cx, cy);
    g.font = css;
    g.fillStyle = '#fff';
    g.textBaseline = 'alphabetic';
    g.fillText(text, 50, ascent);
    var rgba = g.getImageData(0, 0, cx, cy).data;
    var ink = _vapryx_ink(cx, cy);
    var bytes = HEAPU8.subarray(ink, ink + cx * cy);  // after the call: memory may have grown
    for (var i = 0, n = cx * cy; i < n; ++i) bytes[i] = rgba[i * 4] >= 128 ? 255 : 0;
    return { ink: ink, cx: cx, cy: cy, font: css };
  }

  // The smoke prepared again from the settings as they stand.
  function prepare() {
    var raster = rasterText(UTF8ToString(_vapryx_text()), UTF8ToString(_vapryx_font()));
    vapryx.font = raster.font;
    image = _vapryx_open(raster.ink, raster.cx, raster.cy, vapryx.seed);
    if (!image) {
      console.error('vapryx: no memory for the smoke');
      return;
    }
    width = _vapryx_field_width();
    height = _vapryx_field_height();
    canvas.width = width;
    canvas.height = height;
    fpsBox.hidden = !_vapryx_show_fps();
    layout();
    show();
    resume();
  }

  // The field on the page as on every display: the text band always in view.
  function layout() {
    if (!image) return;
    var fit = _vapryx_fit(Math.max(1, window.innerWidth), Math.max(1, window.innerHeight));
    if (!fit) return;
    var at = fit >> 2;
    canvas.style.left = HEAP32[at] + 'px';
    canvas.style.top = HEAP32[at + 1] + 'px';
    canvas.style.width = HEAP32[at + 2] + 'px';
    canvas.style.height = HEAP32[at + 3] + 'px';
  }

  // The image as it stands, without a step.
  function show() {
    if (!image) return;
    var pixels = new Uint8ClampedArray(HEAPU8.buffer, image, width * height * 4);
    context.putImageData(new ImageData(pixels, width, height), 0, 0);
  }

  function interval() {
    var delay = _vapryx_delay() / 1000;
    return hostFrameLimit > 0 ? Math.max(delay, 1000 / hostFrameLimit) : delay;
  }

  function tick(now) {
    frameRequest = 0;
    if (vapryx.paused || document.hidden || !image) return;
    frameRequest = requestAnimationFrame(tick);
    // Half a millisecond early still counts: frames come on the display's beat. The next is
    // due an interval after this one was, not after it came, so the rate is not rounded
    // down to the beat; after a pause it starts afresh.
    var due = interval();
    if (now - lastFrame < due - 0.5) return;
    lastFrame = Math.max(lastFrame + due, now - due);
    image = _vapryx_frame();
    show();
    ++vapryx.frames;
    if (!fpsBox.hidden) {
      ++counted.frames;
      if (now - counted.since >= 1000) {
        fpsBox.textContent = (counted.frames * 1000 / (now - counted.since)).toFixed(1) + ' fps';
        counted.frames = 0;
        counted.since = now;
      }
    }
  }

  function resume() {
    if (!frameRequest && !vapryx.paused && !document.hidden && image) {
      frameRequest = requestAnimationFrame(tick);
    }
  }

  function pause(paused) {
    vapryx.paused = !!paused;
    if (vapryx.paused && frameRequest) {
      cancelAnimationFrame(frameRequest);
      frameRequest = 0;
    }
    resume();
  }

  document.addEventListener('visibilitychange', function () { pause(vapryx.paused); });
  window.addEventListener('resize', layout);

  // Frame rate in frames a second as the delay between them.
  function frameRate(value) {
    var fps = Number(value);
    if (!(fps > 0)) return warn("bad frame rate '" + value + "'");
    setOption('delay', String(Math.round(1000000 / Math.min(fps, 1000))));
  }

  // Lively Wallpaper: one call per control at load, and on each change.
  window.livelyPropertyListener = function (name, value) {
    if (name === 'resolution') setOption(name, Number(value) === 1 ? '800x600' : '640x480');
    else if (name === 'framerate') frameRate(value);
    else setOption(name, String(value));
  };
  window.livelyWallpaperPlaybackChanged = function (data) {
    var state = typeof data === 'string' ? JSON.parse(data) : data;
    pause(state && state.IsPaused);
  };

  // Wallpaper Engine: only the properties that changed, colours as three 0..1 numbers.
  window.wallpaperPropertyListener = {
    applyUserProperties: function (properties) {
      Object.keys(properties).forEach(function (name) {
        var value = properties[name].value;
        if (name === 'color') {
          var rgb = String(value).trim().split(/\s+/).map(function (part) {
            return Math.max(0, Math.min(255, Math.round(Number(part) * 255)));
          });
          if (rgb.length !== 3 || rgb.some(isNaN)) return warn("bad colour '" + value + "'");
          setOption('color', rgb.join(','));
        } else if (name === 'framerate') {
          frameRate(value);
        } else {
          setOption(name, String(value));
        }
      });
    },
    applyGeneralProperties: function (properties) {
      if (properties.fps !== undefined) {
        hostFrameLimit = Math.max(0, Number(properties.fps) || 0);
      }
    },
    setPaused: function (paused) { pause(paused); }
  };

  Module['onRuntimeInitialized'] = function () {
    var seed = new Uint32Array(1);
    window.crypto.getRandomValues(seed);
    vapryx.seed = seed[0];
    vapryx.ready = true;
    new URLSearchParams(window.location.search).forEach(function (value, name) {
      setOption(name, value);
    });
    pending.splice(0).forEach(function (entry) { setOption(entry[0], entry[1]); });
    prepare();
  };
})();
