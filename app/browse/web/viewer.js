// The 3D view: one imported model (a GLB whose node i is object i) under an orbit camera.
// It draws only when something changed: the controls move, the canvas resizes, a toggle.
// An object can be hidden; a hidden object is neither picked nor highlighted.
import * as THREE from 'three';
import { OrbitControls } from 'three/addons/controls/OrbitControls.js';
import { GLTFLoader } from 'three/addons/loaders/GLTFLoader.js';

const highlightColour = new THREE.Color(0xffa51f);

function disposeTree(root) {
  root.traverse((node) => {
    if (!node.isMesh) {
      return;
    }
    node.geometry.dispose();
    for (const material of [node.material].flat()) {
      for (const value of Object.values(material)) {
        if (value?.isTexture) {
          value.dispose();
        }
      }
      material.dispose();
    }
  });
}

function meshesOf(object) {
  const meshes = [];
  object.traverse((node) => {
    if (node.isMesh) {
      meshes.push(node);
    }
  });
  return meshes;
}

function shown(node) {
  for (; node; node = node.parent) {
    if (!node.visible) {
      return false;
    }
  }
  return true;
}

function tinted(material) {
  const copy = material.clone();
  if (copy.emissive) {
    copy.emissive.copy(highlightColour);
    copy.emissiveIntensity = 0.45;
  } else {
    copy.color.lerp(highlightColour, 0.5);
  }
  return copy;
}

export class Viewer {
  constructor(canvas) {
    this.canvas = canvas;
    // Kept drawing buffer: the picture can be read back (saved, or checked by tests).
    this.renderer = new THREE.WebGLRenderer({ canvas, antialias: true, preserveDrawingBuffer: true });
    this.renderer.setPixelRatio(Math.min(window.devicePixelRatio, 2));
    this.scene = new THREE.Scene();
    this.scene.background = new THREE.Color(0x2b2f36);
    this.camera = new THREE.PerspectiveCamera(45, 1, 0.01, 1000);
    this.scene.add(this.camera);
    this.scene.add(new THREE.HemisphereLight(0xffffff, 0x4a4d55, 1.6));
    // The key light rides with the camera, so the side in view is always lit.
    const key = new THREE.DirectionalLight(0xffffff, 1.8);
    key.position.set(1, 2, 2);
    key.target.position.set(0, 0, -1);
    this.camera.add(key, key.target);
    this.box = new THREE.BoxHelper(undefined, highlightColour);
    this.box.visible = false;
    this.scene.add(this.box);

    this.controls = new OrbitControls(this.camera, canvas);
    this.controls.addEventListener('change', () => this.requestRender());
    this.controls.listenToKeyEvents(canvas);  // arrow keys pan while the view has the focus
    this.model = null;
    this.objects = [];  // object i = node i of the GLB
    this.originals = new Map();  // mesh → its own material while it is highlighted
    this.highlighted = null;  // the index asked for, shown again when its object is
    this.wireframe = false;
    this.pending = false;
    new ResizeObserver(() => this.resize()).observe(canvas.parentElement);
  }

  // A GLB's bytes as a scene; `url`, where they came from, resolves what they refer to.
  parse(bytes, url) {
    return new GLTFLoader().parseAsync(bytes, THREE.LoaderUtils.extractUrlBase(url));
  }

  // Shows a loaded GLB instead of the model before, framed unless `keepCamera` (another
  // import of the same model); returns what the page reports as ready.
  show(gltf, { keepCamera = false } = {}) {
    this.clear();
    this.model = gltf.scene;
    gltf.scene.traverse((node) => {
      const index = gltf.parser.associations.get(node)?.nodes;
      if (index !== undefined) {
        this.objects[index] = node;
      }
      // Both sides, as the pictures and a modelling host's viewport show them: a one-sided
      // plane seen from behind would otherwise vanish.
      if (node.isMesh) {
        for (const material of [node.material].flat()) {
          material.side = THREE.DoubleSide;
        }
      }
    });
    this.scene.add(this.model);
    this.setWireframe(this.wireframe);
    if (!keepCamera) {
      this.frame();
    }
    this.renderNow();
    const textured = this.objects.filter((object) =>
      meshesOf(object).some((mesh) => mesh.material.map?.image?.width > 0));
    return { objects: this.objects.length, textured: textured.length };
  }

  discard(gltf) {
    disposeTree(gltf.scene);
  }

  clear() {
    this.highlight(null);
    if (this.model) {
      this.scene.remove(this.model);
      disposeTree(this.model);
    }
    this.model = null;
    this.objects = [];
    this.requestRender();
  }

  // Puts the whole model in view, from the front, a little above and to the right.
  frame() {
    if (!this.model) {
      return;
    }
    const sphere = new THREE.Box3().setFromObject(this.model).getBoundingSphere(new THREE.Sphere());
    const radius = Math.max(sphere.radius, 1e-3);
    const distance = (radius / Math.sin(THREE.MathUtils.degToRad(this.camera.fov / 2))) * 1.05;
    this.camera.position.copy(sphere.center).addScaledVector(new THREE.Vector3(0.6, 0.45, 1).normalize(), distance);
    this.camera.near = distance / 100;
    this.camera.far = distance * 100;
    this.camera.updateProjectionMatrix();
    this.controls.target.copy(sphere.center);
    this.controls.update();
    this.requestRender();
  }

  setWireframe(on) {
    this.wireframe = on;
    for (const mesh of this.model ? meshesOf(this.model) : []) {
      mesh.material.wireframe = on;
    }
    for (const material of this.originals.values()) {
      material.wireframe = on;
    }
    this.requestRender();
  }

  setVisible(index, visible) {
    const object = this.objects[index];
    if (object) {
      object.visible = visible;
      this.highlight(this.highlighted);
    }
  }

  // Tints object `index` and boxes it; null shows every object as it is.
  highlight(index) {
    this.highlighted = index;
    for (const [mesh, material] of this.originals) {
      mesh.material.dispose();
      mesh.material = material;
    }
    this.originals.clear();
    const candidate = this.objects[index ?? -1];
    const object = candidate && shown(candidate) ? candidate : null;
    this.box.visible = Boolean(object);
    if (object) {
      for (const mesh of meshesOf(object)) {
        this.originals.set(mesh, mesh.material);
        mesh.material = tinted(mesh.material);
      }
      this.box.setFromObject(object);
    }
    this.requestRender();
  }

  // The index of the object under a point of the canvas, or null.
  objectAt(clientX, clientY) {
    if (!this.model) {
      return null;
    }
    const rect = this.canvas.getBoundingClientRect();
    const pointer = new THREE.Vector2(((clientX - rect.left) / rect.width) * 2 - 1,
      -((clientY - rect.top) / rect.height) * 2 + 1);
    const raycaster = new THREE.Raycaster();
    raycaster.setFromCamera(pointer, this.camera);
    const hit = raycaster.intersectObject(this.model, true).find((candidate) => shown(candidate.object));
    for (let node = hit?.object; node; node = node.parent) {
      const index = this.objects.indexOf(node);
      if (index >= 0) {
        return index;
      }
    }
    return null;
  }

  resize() {
    const { clientWidth: width, clientHeight: height } = this.canvas.parentElement;
    if (width === 0 || height === 0) {
      return;  // hidden
    }
    this.renderer.setSize(width, height, false);
    this.camera.aspect = width / height;
    this.camera.updateProjectionMatrix();
    this.renderNow();
  }

  requestRender() {
    if (!this.pending) {
      this.pending = true;
      // Skipped when a direct render came first: a large model is drawn once, not twice.
      requestAnimationFrame(() => this.pending && this.renderNow());
    }
  }

  renderNow() {
    this.pending = false;
    this.renderer.render(this.scene, this.camera);
  }
}
